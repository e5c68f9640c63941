#!/usr/bin/env python3
"""Writes Data/Lang/english.txt: one message per line (line n is message n), CR LF, windows-1252."""
import pathlib

MESSAGES = {
    12: "Register New User",
    13: "Registration refused: this nickname is taken or not allowed. Please choose another one.",
    14: "Logon failed: the nickname or the password is wrong.",
    16: "The password must be at least 5 characters long.",
    17: "The nickname must be at least 3 characters long.",
    18: "The password must be at least 5 characters long.",
    19: "Do you want to add ",
    20: " to your contact list?",
    25: "Please enter a nickname, a country, an age or a gender to search for.",
    26: "No user matches your search.",
    27: "Sending...",
    28: "Message accepted by the server.",
    29: "Message delivered.",
    30: "Message received.",
    31: "The room was not created: a room with this name exists already.",
    33: "Please enter your name and your password.",
    34: "Please enter a name for the room.",
    35: "Please enter the password of the room.",
    36: "Please choose a user to invite.",
    74: "Online",
    99: "Offline",
}

lines = [MESSAGES.get(n, "") for n in range(max(MESSAGES) + 1)]
out = pathlib.Path(__file__).resolve().parent.parent / "Data" / "Lang" / "english.txt"
out.write_bytes(("\r\n".join(lines) + "\r\n").encode("cp1252"))
