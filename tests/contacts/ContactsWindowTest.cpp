#include "ContactsFixture.h"

TEST_F(ContactsTest, PresenceTransitionsAndHeaderCounts) {
    TMainForm* m = ShowMain();
    EXPECT_EQ(Header(m, "AIM"), "1 Contact Online"); // the own user counts; singular
    EXPECT_EQ(Header(m, "PIM"), "0 Contacts Offline");

    Feed("CLOffLine", {"Bob"});
    EXPECT_EQ(Names(m, "PIM"), QList<QByteArray>{"Bob"});
    Feed("CLOnLine", {"bob", "276", "M", "30", "", "", "", "", "255", "1"}); // table lookups ignore case
    EXPECT_EQ(Names(m, "AIM"), (QList<QByteArray>{"alice", "bob"}));
    // The tree matches exactly: "bob" does not remove the node written "Bob".
    EXPECT_EQ(Names(m, "PIM"), QList<QByteArray>{"Bob"});
    EXPECT_EQ(dm->PUserTable.RecordCount(), 0);
    EXPECT_EQ(Header(m, "AIM"), "2 Contacts Online");
    EXPECT_EQ(Header(m, "PIM"), "0 Contacts Offline");

    Feed("OnLine", {"carol", "840", "F", "22"});
    Feed("OnLine", {"alice"}); // the own nickname changes nothing
    Feed("OnLine", {""});
    EXPECT_EQ(Names(m, "AIM"), (QList<QByteArray>{"alice", "bob", "carol"}));

    // "OnLine" for a known contact keeps its mark.
    Feed("OnLine", {"BOB", "276", "M", "30"});
    ASSERT_TRUE(dm->AUserTable.Locate("Name", "bob", Qt::CaseInsensitive));
    EXPECT_EQ(dm->AUserTable.Value("CL"), "1");
    EXPECT_EQ(m->Tree->Node(m->Tree->index(1, 0, m->Tree->GroupIndex("AIM")))->CL, "1");

    Feed("SetUColor", {"carol", "255"});
    EXPECT_EQ(m->Tree->Node(m->Tree->index(2, 0, m->Tree->GroupIndex("AIM")))->Color, 255u);

    Feed("RDelCList", {"bob"});
    EXPECT_EQ(m->Tree->Node(m->Tree->index(1, 0, m->Tree->GroupIndex("AIM")))->CL, "0");
    Feed("CLOnLine", {"carol"}); // already online: becomes a contact, no alert
    EXPECT_EQ(m->Tree->Node(m->Tree->index(2, 0, m->Tree->GroupIndex("AIM")))->CL, "1");

    Feed("CLOffLine", {"carol"});
    Feed("OffLine", {"bob"});
    EXPECT_EQ(Names(m, "AIM"), QList<QByteArray>{"alice"});
    EXPECT_EQ(Names(m, "PIM"), (QList<QByteArray>{"Bob", "carol"}));
    EXPECT_EQ(Header(m, "PIM"), "1 Contact Offline");
    Feed("RDelCList", {"carol"});
    EXPECT_EQ(Names(m, "PIM"), QList<QByteArray>{"Bob"});
}

TEST_F(ContactsTest, ContactAlertOnlyForNewContactsWithTheFlag) {
    ShowMain();
    QList<QString> alerts;
    QObject::connect(dm.get(), &session::TDM::AlertRequested, [&](int which, const QString& t) {
        EXPECT_EQ(which, 2);
        alerts.append(t);
    });
    Feed("CLOnLine", {"dave", "", "", "", "", "", "", "", "", "1"});
    Feed("CLOnLine", {"dave", "", "", "", "", "", "", "", "", "1"});
    Feed("CLOnLine", {"ed", "", "", "", "", "", "", "", "", "0"});
    Feed("CLOnLine", {"ALICE", "", "", "", "", "", "", "", "", "1"});
    EXPECT_EQ(alerts, QList<QString>{"dave has just logged in"});
}

TEST_F(ContactsTest, BlockedMarksAndUserMenus) {
    TMainForm* m = ShowMain();
    Feed("CLOnLine", {"bob"});
    Feed("OnLine", {"carol"});
    Feed("RGetBList", {"BOB\r\n"});
    const QModelIndex bob = m->Tree->index(1, 0, m->Tree->GroupIndex("AIM"));
    EXPECT_EQ(m->Tree->data(bob).toString(), "bob [blocked]");

    m->NodeReleased(bob, Qt::LeftButton);
    EXPECT_EQ(m->SelectedOnline, "bob");
    EXPECT_TRUE(m->Online.DelCList->isVisible());
    EXPECT_FALSE(m->Online.AddCList->isVisible());
    EXPECT_FALSE(m->Online.Block->isVisible());
    EXPECT_TRUE(m->Online.Unblock->isVisible());
    EXPECT_FALSE(m->Online.Invite->isVisible());

    dialogs.answers = {true};
    m->Online.Unblock->trigger();
    EXPECT_EQ(m->Tree->data(bob).toString(), "bob");
    EXPECT_EQ(dialogs.Texts(), QStringList{"Remove user \"bob\" from block list - are you sure?"});

    m->NodeReleased(m->Tree->index(2, 0, m->Tree->GroupIndex("AIM")), Qt::LeftButton);
    EXPECT_TRUE(m->Online.AddCList->isVisible());
    EXPECT_FALSE(m->Online.DelCList->isVisible());
    dialogs.answers = {true, true};
    m->Online.Block->trigger();
    EXPECT_TRUE(IsBlocked(*dm, "carol"));
    EXPECT_EQ(
        dialogs.Texts().last(),
        "User \"carol\" has been added to your block list and may no longer send you private messages.");

    // The own entry: only the nickname and "User Info"; a double click opens nothing.
    m->NodeReleased(m->Tree->index(0, 0, m->Tree->GroupIndex("AIM")), Qt::LeftButton);
    EXPECT_EQ(m->SelectedOnline, "alice");
    for (QAction* a : {m->Online.SendMessage, m->Online.SendVoicemail, m->Online.DelCList, m->Online.AddCList,
                       m->Online.Invite, m->Online.Block, m->Online.Unblock})
        EXPECT_FALSE(a->isVisible()) << a->text().toStdString();
    EXPECT_TRUE(m->Online.UserInfo->isVisible());
    m->NodeDoubleClicked();
    EXPECT_TRUE(TMsgForm::AllForms().isEmpty());

    // A header click only folds the group.
    const QModelIndex header = m->Tree->GroupIndex("AIM");
    EXPECT_TRUE(m->VTS->isExpanded(header));
    m->NodeReleased(header, Qt::LeftButton);
    EXPECT_FALSE(m->VTS->isExpanded(header));
    EXPECT_TRUE(m->SelectedOnline.isEmpty());

    // A double click on another user opens one window; again brings the same one forward.
    m->NodeReleased(bob, Qt::LeftButton);
    m->NodeDoubleClicked();
    m->NodeDoubleClicked();
    ASSERT_EQ(TMsgForm::AllForms().size(), 1);
    EXPECT_EQ(TMsgForm::AllForms()[0]->Peer(), "bob");
    EXPECT_EQ(dm->MsgFormTable.RecordCount(), 1);
}

TEST_F(ContactsTest, TwoSpellingsOfOneNameInTablesAndTree) {
    TMainForm* m = ShowMain();
    Feed("OnLine", {"Dan"});
    Feed("OnLine", {"dan"}); // the table holds one user ignoring case: no second node
    EXPECT_EQ(Names(m, "AIM"), (QList<QByteArray>{"alice", "Dan"}));
    m->DeleteContactNode("AIM", "dan"); // the tree matches exactly
    EXPECT_EQ(Names(m, "AIM"), (QList<QByteArray>{"alice", "Dan"}));
    Feed("OffLine", {"DAN"}); // the table row goes; the node written "Dan" stays (exact tree match)
    EXPECT_EQ(dm->AUserTable.RecordCount(), 1);
    EXPECT_EQ(Names(m, "AIM"), (QList<QByteArray>{"alice", "Dan"}));
}

TEST_F(ContactsTest, BulletinShowsEachTextOnceInOrder) {
    TMainForm* m = ShowMain();
    Feed("RGetBInfo", {"first"});
    Feed("RGetBInfo", {"second"});
    EXPECT_TRUE(m->BulletinRunning());
    EXPECT_EQ(m->Bulletin->Text(), "first");
    Advance(60000);
    EXPECT_EQ(m->Bulletin->Text(), "second");
    EXPECT_FALSE(m->BulletinRunning());
    Feed("RGetBInfo", {"third"}); // the idle panel starts again from the first row
    EXPECT_TRUE(m->BulletinRunning());
}

TEST_F(ContactsTest, PositionFileWrittenOnCloseAndUsedAtTheNextShow) {
    TMainForm* m = ShowMain();
    m->setGeometry(40, 30, 300, 460);
    delete m;
    EXPECT_EQ(dm->MainForm, nullptr);
    const QByteArray stored = ReadAppFile("position.dat");
    ASSERT_EQ(stored.size(), 8);
    EXPECT_EQ(stored, EncodePosition(QRect(40, 30, 300, 460)));
}

TEST_F(ContactsTest, IncomingPrivateMessagesOpenOrFlashWindows) {
    TMainForm* m = ShowMain();
    Q_UNUSED(m);
    // Read before the event loop runs: the offscreen platform activates every new window, which stops the
    // blink.
    dm->MainClientRead(net::EncodeCommandRaw(net::MakeCommand("PrivMsg", {"bob", "<b>hi :-)</b>", "msg7"})));
    ASSERT_EQ(TMsgForm::AllForms().size(), 1);
    TMsgForm* f = TMsgForm::AllForms()[0];
    EXPECT_EQ(f->Peer(), "bob");
    EXPECT_TRUE(f->Flashing());
    ASSERT_TRUE(dm->MsgFormTable.Locate("Name", "bob", Qt::CaseSensitive));
    EXPECT_EQ(dm->MsgFormTable.Value("Flash"), "1");
    EXPECT_EQ(f->StatusText(), session::LangText(30));
    ASSERT_EQ(f->History().size(), 1);
    EXPECT_TRUE(f->History()[0].startsWith("<font size=\"3\" color=\"#800000\"><b>bob</b></font>: <b>hi "));
    EXPECT_TRUE(f->History()[0].endsWith("</b><br> "));

    // Exact lookup: another spelling opens a second window.
    Feed("PrivMsg", {"BOB", "again", "msg8"});
    EXPECT_EQ(TMsgForm::AllForms().size(), 2);
    Feed("PrivMsg", {"bob", "third", "msg7"});
    EXPECT_EQ(f->History().size(), 2);

    // Closing one of the two windows keeps the other's registration.
    TMsgForm* second = TMsgForm::AllForms()[1];
    second->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(dm->MsgFormTable.Column("Name"), QList<QByteArray>{"bob"});
    Feed("PrivMsg", {"bob", "fourth", "msg7"});
    EXPECT_EQ(f->History().size(), 3);
    EXPECT_EQ(TMsgForm::AllForms().size(), 1);
}

TEST_F(ContactsTest, UntrustedMessageHtmlIsFilteredBeforeTheView) {
    ShowMain();
    Feed("PrivMsg",
         {"eve", "<script>x()</script><img src=\"file:///etc/passwd\"><a href=\"javascript:y\">z</a>",
          "msg1"});
    TMsgForm* f = TMsgForm::AllForms().value(0);
    ASSERT_NE(f, nullptr);
    const QByteArray line = f->History()[0];
    EXPECT_FALSE(line.contains("<script")) << line.constData();
    EXPECT_FALSE(line.contains("/etc/passwd"));
    EXPECT_FALSE(line.contains("javascript"));
    EXPECT_TRUE(line.contains("&lt;script&gt;"));
}

TEST_F(ContactsTest, TypingNoticesOfOneToFourUsersLapseWithTheClock) {
    ShowMain();
    Feed("PrivMsg", {"ann", "hello", "msg1"});
    TMsgForm* f = TMsgForm::AllForms().value(0);
    ASSERT_NE(f, nullptr);
    // The typing handler finds windows by the exact peer name; the window shows the notices of every typist.
    Feed("Typing", {"ann", "", "alice"});
    EXPECT_EQ(f->StatusText(), "ann is busy typing...");
    f->SetTyping("bob", false);
    f->SetTyping("cy", false);
    EXPECT_EQ(f->StatusText(), "ann, bob and cy are busy typing...");
    f->SetTyping("di", false);
    EXPECT_EQ(f->StatusText(), "4 folks are busy typing...");
    Feed("Typing", {"ann", "", "alice", "0"});
    EXPECT_EQ(f->StatusText(), "bob, cy and di are busy typing...");
    Advance(2000);
    EXPECT_EQ(f->StatusText(), "bob, cy and di are busy typing...");
    Advance(2000);
    EXPECT_EQ(f->StatusText(), "");
    Feed("Typing", {"Ann", "", "alice"}); // no window for this spelling
    EXPECT_EQ(f->StatusText(), "");
}

TEST_F(ContactsTest, HistoryKeepsTheNewestThousandLines) {
    ShowMain();
    auto* f = TMsgForm::OpenMessageWindow(*dm, "bob", true);
    for (int i = 1; i <= 1001; ++i)
        f->AddMessageLine("bob", "line" + QByteArray::number(i));
    EXPECT_EQ(f->History().size(), 1000);
    EXPECT_TRUE(f->History().first().contains("line2<br>"));
    EXPECT_EQ(f->View->LineCount(), 1000);
    EXPECT_TRUE(f->View->LineText(0).contains("line2"));
    EXPECT_TRUE(f->View->LineText(999).contains("line1001"));
    f->ClearMyTextChat();
    EXPECT_EQ(f->History().size(), 1);
    EXPECT_LE(f->View->LineCount(), 1);
}

TEST_F(ContactsTest, PrivateMessageExchangeAgainstAPeer) {
    Connect();
    auto* f = TMsgForm::OpenMessageWindow(*dm, "bob", true);
    // Only line breaks: nothing goes out.
    for (const char* text : {"\n", "\n\n", "\n\n\n"}) {
        f->Memo->setPlainText(text);
        f->Send();
    }
    f->Memo->setPlainText("a < b :-p \xae");
    QTest::keyClick(f->Memo, Qt::Key_Return);
    Advance(100); // Enter sends after 100 ms
    ASSERT_TRUE(WaitFor([&] { return server.Count("PrivMsg") == 1; }));
    const net::ParsedCommand sent = Received("PrivMsg")[0];
    EXPECT_EQ(sent.field(1), "bob");
    EXPECT_EQ(sent.field(2), "alice");
    EXPECT_TRUE(sent.field(3).contains("a &lt; b :-p "));
    EXPECT_FALSE(sent.field(3).contains('\xae'));
    EXPECT_EQ(sent.field(4), f->FormName());
    EXPECT_EQ(f->StatusText(), session::LangText(27));
    EXPECT_TRUE(f->Memo->toPlainText().isEmpty());
    ASSERT_EQ(f->History().size(), 1);
    EXPECT_TRUE(f->History()[0].contains("#000080"));

    server.Send("RPrivMsg", {"", "", f->FormName()});
    ASSERT_TRUE(WaitFor([&] { return f->StatusText() == session::LangText(28); }));
    server.Send("RRPrivMsg", {"bob", f->FormName()});
    ASSERT_TRUE(WaitFor([&] { return f->StatusText() == session::LangText(29); }));

    // The recipient's side: a receipt before the message is shown.
    server.Send("PrivMsg", {"carol", "yo", "msg99"});
    ASSERT_TRUE(WaitFor([&] { return server.Count("RRPrivMsg") == 1; }));
    EXPECT_EQ(Received("RRPrivMsg")[0].field(1), "carol");
    EXPECT_EQ(Received("RRPrivMsg")[0].field(2), "msg99");

    // Typing notices: the first key sends one, keys within 4 seconds none, a key after a pause again.
    const int before = server.Count("Typing");
    QTest::keyClick(f->Memo, Qt::Key_A);
    QTest::keyClick(f->Memo, Qt::Key_B);
    Advance(4001);
    QTest::keyClick(f->Memo, Qt::Key_C);
    ASSERT_TRUE(WaitFor([&] { return server.Count("Typing") == before + 2; }));
    EXPECT_EQ(Received("Typing").last().field(3), "bob");
}

TEST_F(ContactsTest, SearchListsResultsAndAddsOnlyNewContacts) {
    TMainForm* m = Connect();
    Q_UNUSED(m);
    TAddForm* f = TAddForm::Open(*dm);
    f->GenderBox->setCurrentIndex(0); // " " alone is no criterion
    f->Find();
    EXPECT_EQ(dialogs.Texts().value(0), session::LangText(25));
    EXPECT_EQ(server.Count("Find"), 0);
    f->AgeFromEdit->setText("");
    QTest::keyClicks(f->AgeFromEdit, "2x-5");
    EXPECT_EQ(f->AgeFromEdit->text(), "25");
    f->NickEdit->setText("bo");
    f->Find();
    ASSERT_TRUE(WaitFor([&] { return server.Count("Find") == 1; }));
    const net::ParsedCommand find = Received("Find")[0];
    EXPECT_EQ(find.field(4), "bo");
    EXPECT_EQ(find.field(5), " ");
    EXPECT_EQ(find.field(6), "25");
    EXPECT_FALSE(f->FindButton->isEnabled());
    for (const char* n : {"bob", "bobby", "alice"})
        server.Send("RFind", {"OK", n, "276", "M", "30", "on", "lobby"});
    ASSERT_TRUE(WaitFor([&] { return f->AddTable.RecordCount() == 3; }));
    EXPECT_EQ(f->GridModel->rowCount(), 3);
    EXPECT_TRUE(f->FindButton->isEnabled());
    EXPECT_FALSE(f->AddButton->isHidden());
    f->Grid->selectRow(2); // alice: already listed (the own user)
    dialogs.shown.clear();
    f->AddToContactList();
    EXPECT_EQ(dialogs.Texts(), QStringList{session::LangText(19) + " alice " + session::LangText(20)});
    f->Grid->selectRow(0);
    f->AddToContactList();
    ASSERT_TRUE(WaitFor([&] { return server.Count("AddCList") == 1; }));
    EXPECT_EQ(Received("AddCList")[0].field(2), "bob");

    f->Find(); // a new search empties the list at once
    EXPECT_EQ(f->AddTable.RecordCount(), 0);
    server.Send("RFind", {"NO"});
    ASSERT_TRUE(WaitFor([&] { return f->FindButton->isEnabled(); }));
    EXPECT_TRUE(f->AddButton->isHidden());
}

TEST_F(ContactsTest, BlockListWindowAndTheListSent) {
    TMainForm* m = Connect();
    server.Send("RGetBList", {"Bob\r\n"});
    ASSERT_TRUE(WaitFor([&] { return dm->BlockedUsers.RecordCount() == 1; }));
    SetBlocked(*dm, "BOB", true);
    ASSERT_TRUE(WaitFor([&] { return server.Count("SetBList") == 1; }));
    EXPECT_EQ(Received("SetBList")[0].field(1), "Bob\r\n");
    TBlockForm* b = TBlockForm::Open(*dm, m);
    ASSERT_EQ(b->Grid->count(), 1);
    b->Grid->setCurrentRow(0);
    dialogs.answers = {true};
    b->RemoveSelected();
    ASSERT_TRUE(WaitFor([&] { return server.Count("SetBList") == 2; }));
    EXPECT_EQ(Received("SetBList")[1].field(1), "");
    EXPECT_EQ(b->Grid->count(), 0);
    dialogs.shown.clear();
    b->RemoveSelected();
    EXPECT_EQ(dialogs.Texts(), QStringList{"No user selected."});
}

TEST_F(ContactsTest, ProfileViewEditAndForcedPasswordChange) {
    Connect();
    dm->CountryTable.Append({{"N", "276"}, {"Name", "Germany"}});
    server.Send("RGetInfo", {"bob", "276", "M", "30", "0", "N"});
    ASSERT_TRUE(WaitFor([&] { return Ui().InfoForm != nullptr; }));
    TInfoForm* f = Ui().InfoForm;
    EXPECT_FALSE(f->EditLayout());
    EXPECT_EQ(f->ViewCountry->text(), "Germany");
    EXPECT_EQ(f->ViewGender->text(), "Male");
    f->close();
    QCoreApplication::processEvents();

    // The server demands a new password: modal edit layout; old password and short ones refused.
    server.Send("RGetInfo", {"alice", "276", "F", "25", "1", "Y"});
    ASSERT_TRUE(WaitFor([&] { return Ui().InfoForm != nullptr && Ui().InfoForm->Forced(); }));
    f = Ui().InfoForm;
    EXPECT_TRUE(f->EditLayout());
    EXPECT_EQ(f->PasswordLabel->text(), "New Password:");
    EXPECT_TRUE(f->PasswordEdit->text().isEmpty());
    EXPECT_TRUE(f->OnlyContacts->isChecked());
    dialogs.shown.clear();
    struct Try {
        QString pass, confirm, message;
    };
    for (const Try& t :
         {Try{"", "", session::LangText(33)}, Try{"abcdef", "abcdeg", "Passwords do not match."},
          Try{"     ", "     ", "Password must be at least 5 characters in length."},
          Try{"secret1", "secret1", "New password must be different to previous password."}}) {
        f->PasswordEdit->setText(t.pass);
        f->ConfirmEdit->setText(t.confirm);
        dialogs.shown.clear();
        f->OkClicked();
        EXPECT_EQ(dialogs.Texts().value(0), t.message);
    }
    f->PasswordEdit->setText("fresh99");
    f->ConfirmEdit->setText("fresh99");
    f->OkClicked();
    ASSERT_TRUE(WaitFor([&] { return server.Count("SetInfo") == 1; }));
    const net::ParsedCommand set = Received("SetInfo")[0];
    EXPECT_EQ(set.field(1), "alice");
    EXPECT_EQ(set.field(3), "276");
    EXPECT_EQ(set.field(4), "Female");
    EXPECT_EQ(set.field(6), "fresh99");
    EXPECT_EQ(set.field(7), "1");
    EXPECT_EQ(set.field(8), "Y");
    EXPECT_EQ(terminated, 0);

    // Closing the forced window without a valid change ends the program.
    server.Send("RGetInfo", {"alice", "276", "F", "25", "0", "Y"});
    ASSERT_TRUE(WaitFor([&] { return Ui().InfoForm != nullptr && Ui().InfoForm->Forced(); }));
    Ui().InfoForm->close();
    EXPECT_EQ(terminated, 1);
    EXPECT_TRUE(dialogs.Texts().contains("Your password was not changed - this application will terminate"));
}

TEST_F(ContactsTest, AdministratorEditsAnotherProfileWithoutTouchingThePassword) {
    Connect();
    dm->UserType = "3";
    server.Send("RGetInfo", {"bob", "276", "M", "30", "0", "N"});
    ASSERT_TRUE(WaitFor([&] { return Ui().InfoForm != nullptr; }));
    TInfoForm* f = Ui().InfoForm;
    EXPECT_TRUE(f->EditLayout());
    EXPECT_TRUE(f->NameEdit->isEnabled());
    EXPECT_TRUE(f->PasswordEdit->text().isEmpty()); // never the administrator's own password
    f->AgeEdit->setText("31");
    f->OkClicked();
    ASSERT_TRUE(WaitFor([&] { return server.Count("SetInfo") == 1; }));
    const net::ParsedCommand set = Received("SetInfo")[0];
    EXPECT_EQ(set.field(1), "bob");
    EXPECT_EQ(set.field(5), "31");
    EXPECT_EQ(set.field(6), ""); // unchanged
    EXPECT_EQ(set.field(8), "");
}

TEST_F(ContactsTest, InvitationChecksAndSending) {
    TMainForm* m = Connect();
    TInviteFriendForm* f = TInviteFriendForm::Open(*dm, m);
    EXPECT_EQ(f->OwnEmailEdit->text(), "alice@example.org");
    struct Try {
        QString name, address, message;
    };
    for (const Try& t : {Try{"   ", "ab@cd.e", "Please enter a valid name."},
                         Try{"Zoe", "a@b.c", "Please enter a valid email address"}}) {
        f->FriendNameEdit->setText(t.name);
        f->FriendEmailEdit->setText(t.address);
        dialogs.shown.clear();
        f->SendInvitation();
        EXPECT_EQ(dialogs.Texts(), QStringList{t.message});
    }
    f->FriendNameEdit->setText("Zoe");
    f->FriendEmailEdit->setText("ab@cd.e");
    f->OwnEmailEdit->setText("me@mine.org");
    dialogs.shown.clear();
    dialogs.answers = {true, true};
    f->SendInvitation();
    ASSERT_TRUE(WaitFor([&] { return server.Count("InviteAFriend") == 1; }));
    const net::ParsedCommand c = Received("InviteAFriend")[0];
    EXPECT_EQ(c.field(2), "Zoe");
    EXPECT_EQ(c.field(3), "ab@cd.e");
    EXPECT_EQ(c.field(5), "me@mine.org");
    EXPECT_EQ(dialogs.Texts().value(0),
              "An invitation to join Korvex will be sent to your friend \"Zoe\" at address "
              "\"ab@cd.e\".\r\rContinue?");
    EXPECT_EQ(dialogs.Texts().value(1), "An invitation will be sent to your friend. Thank you.");
    EXPECT_TRUE(f->isHidden());
    f->show();
    EXPECT_EQ(f->OwnEmailEdit->text(), "me@mine.org");

    // Without a connection the window says so instead of thanking.
    dm->MainClient->SetActive(false);
    f->FriendNameEdit->setText("Zoe");
    f->FriendEmailEdit->setText("ab@cd.e");
    dialogs.shown.clear();
    dialogs.answers = {true};
    f->SendInvitation();
    EXPECT_TRUE(dialogs.Texts().value(1).startsWith("The invitation could not be sent"));
    EXPECT_EQ(server.Count("InviteAFriend"), 1);
}

TEST_F(ContactsTest, MessageWindowStyleKeysSmileysAndPlacementFiles) {
    ShowMain();
    WriteAppFile("Data/pmform.dat", "40\r\nabc\r\n600\r\n300\r\n");
    WriteAppFile("Data/chatcolor.dat", [] {
        ChatStyleFile s;
        s.bold = false;
        s.italic = true;
        s.sizeIndex = 3;
        s.colour = 0x800000;
        s.face = "";
        s.optionFlag = true;
        return s.Encode();
    }());
    auto* f = TMsgForm::OpenMessageWindow(*dm, "bob", false);
    // Style from the file: blank face falls back to Tahoma; the room window's option byte is kept.
    EXPECT_FALSE(f->Style().bold);
    EXPECT_TRUE(f->Style().italic);
    EXPECT_EQ(f->Style().size, "4");
    EXPECT_EQ(f->Style().face, "Tahoma");
    EXPECT_EQ(f->y(), 40);
    EXPECT_EQ(f->size(), QSize(600, 300));
    f->BoldButton->click();
    const ChatStyleFile saved = ChatStyleFile::Decode(ReadAppFile("Data/chatcolor.dat"));
    EXPECT_TRUE(saved.bold);
    EXPECT_TRUE(saved.optionFlag);
    EXPECT_EQ(saved.sizeIndex, 3);

    // Smiley picker: the shipped pictures, clicking one appends its code.
    QDir().mkpath(home.filePath("WebPages/Images"));
    QFile::copy(KORVEX_SOURCE_DATA_DIR "/WebPages/Images/Smile130.gif",
                home.filePath("WebPages/Images/Smile130.gif"));
    auto* g = TMsgForm::OpenMessageWindow(*dm, "carol", true);
    auto* button = g->SmileyPicker->findChild<QToolButton*>("Smile130");
    ASSERT_NE(button, nullptr);
    g->Memo->setPlainText("hi ");
    button->click();
    EXPECT_EQ(g->Memo->toPlainText(), "hi :-p");

    // Ctrl+Enter breaks the line; Esc closes and the place is kept for the next window.
    QTest::keyClick(g->Memo, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(g->Memo->toPlainText(), "hi :-p\n");
    g->move(70, 80);
    QPointer<TMsgForm> gone = g;
    QTest::keyClick(g->Memo, Qt::Key_Escape);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(gone.isNull());
    const QList<QByteArray> lines = ReadAppFile("Data/pmform.dat").split('\n');
    EXPECT_EQ(lines.value(0).trimmed(), QByteArray::number(80));
    EXPECT_EQ(lines.value(1).trimmed(), QByteArray::number(70));
    EXPECT_FALSE(dm->MsgFormTable.Locate("Name", "carol", Qt::CaseInsensitive));
}
