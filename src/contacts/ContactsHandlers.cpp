#include "contacts/BlockList.h"
#include "contacts/ContactTreeModel.h"
#include "contacts/Contacts.h"
#include "contacts/TAddForm.h"
#include "contacts/TInfoForm.h"
#include "contacts/TMainForm.h"
#include "contacts/TMsgForm.h"
#include "contacts/UiHelpers.h"
#include "session/TDM.h"

namespace korvex::contacts {

using net::ParsedCommand;
using session::TDM;

namespace {

ContactTreeModel* tree() {
    return Ui().MainForm ? Ui().MainForm->Tree : nullptr;
}

void repaint() {
    if (ContactTreeModel* t = tree()) t->Repaint();
}

// ---- presence

void onOnLine(TDM& dm, const ParsedCommand& c) {
    const QByteArray name = c.field(1);
    if (name.isEmpty() || name == dm.OwnNick) return;
    session::MemoryTable& a = dm.AUserTable;
    // A user already known keeps its contact mark: this command also reaches administrators for every user,
    // contacts included, and must not turn a contact into a stranger.
    if (a.Find("Name", name, Qt::CaseInsensitive) < 0) {
        // Field order of AUserTable: Name, Country, Status, Sex, Age, CL.
        a.AppendRow({name, c.field(2), {}, c.field(3), c.field(4), "0"});
        if (ContactTreeModel* t = tree()) t->AddContactNode("AIM", name, "0", c.field(9));
    }
    const int p = dm.PUserTable.Find("Name", name, Qt::CaseInsensitive);
    if (p >= 0) {
        dm.PUserTable.DeleteRow(p);
        if (ContactTreeModel* t = tree()) t->DeleteContactNode("PIM", name);
    }
    repaint();
}

void onOffLine(TDM& dm, const ParsedCommand& c) {
    const QByteArray name = c.field(1);
    if (name.isEmpty()) return;
    const int r = dm.AUserTable.Find("Name", name, Qt::CaseInsensitive);
    if (r >= 0) {
        dm.AUserTable.DeleteRow(r);
        if (ContactTreeModel* t = tree()) t->DeleteContactNode("AIM", name);
    }
    repaint();
}

void onCLOnLine(TDM& dm, const ParsedCommand& c) {
    const QByteArray name = c.field(1);
    if (name.isEmpty()) return;
    session::MemoryTable& a = dm.AUserTable;
    const int r = a.Find("Name", name, Qt::CaseInsensitive);
    if (r >= 0) {
        a.SetRecNo(r);
        a.SetValue("CL", "1");
        if (ContactTreeModel* t = tree()) t->SetContactFlag(name, "1");
    } else {
        a.Append(
            {{"Name", name}, {"Country", c.field(2)}, {"Sex", c.field(3)}, {"Age", c.field(4)}, {"CL", "1"}});
        if (ContactTreeModel* t = tree()) t->AddContactNode("AIM", name, "1", c.field(9));
        if (c.field(10) == "1" && !dm.OwnNick.isEmpty() && name.compare(dm.OwnNick, Qt::CaseInsensitive) != 0)
            emit dm.AlertRequested(2, session::FromAnsi(name) + " has just logged in");
    }
    const int p = dm.PUserTable.Find("Name", name, Qt::CaseInsensitive);
    if (p >= 0) {
        dm.PUserTable.DeleteRow(p);
        if (ContactTreeModel* t = tree()) t->DeleteContactNode("PIM", name);
    }
    repaint();
}

void onCLOffLine(TDM& dm, const ParsedCommand& c) {
    const QByteArray name = c.field(1);
    if (name.isEmpty()) return;
    const int p = dm.PUserTable.Find("Name", name, Qt::CaseInsensitive);
    if (p >= 0) {
        dm.PUserTable.SetRecNo(p);
        dm.PUserTable.SetValue("CL", "1");
        return;
    }
    dm.PUserTable.Append({{"Name", name}, {"CL", "1"}});
    if (ContactTreeModel* t = tree()) t->AddContactNode("PIM", name, "1", {});
    const int r = dm.AUserTable.Find("Name", name, Qt::CaseInsensitive);
    if (r >= 0) {
        dm.AUserTable.DeleteRow(r);
        if (ContactTreeModel* t = tree()) t->DeleteContactNode("AIM", name);
    }
    repaint();
}

void onDelCList(TDM& dm, const ParsedCommand& c) {
    const QByteArray name = c.field(1);
    if (name.isEmpty()) return;
    const int p = dm.PUserTable.Find("Name", name, Qt::CaseInsensitive);
    if (p >= 0) {
        dm.PUserTable.DeleteRow(p);
        if (ContactTreeModel* t = tree()) t->DeleteContactNode("PIM", name);
    } else {
        const int r = dm.AUserTable.Find("Name", name, Qt::CaseInsensitive);
        if (r >= 0) {
            if (ContactTreeModel* t = tree()) t->SetContactFlag(name, "0");
            dm.AUserTable.SetRecNo(r);
            dm.AUserTable.SetValue("CL", "0");
        }
    }
    repaint();
}

void onSetUColor(TDM&, const ParsedCommand& c) {
    const std::uint32_t colour = SafeNumber(c.field(2));
    if (Ui().RoomUserColour) Ui().RoomUserColour(c.field(1), colour);
    if (ContactTreeModel* t = tree()) t->SetContactColor(c.field(1), colour);
}

// ---- bulletin and block list

void onGetBInfo(TDM& dm, const ParsedCommand& c) {
    dm.InfoTable.Append({{"Info", c.field(1)}});
    TMainForm* main = Ui().MainForm;
    if (main && !main->BulletinRunning()) {
        dm.InfoTable.First();
        dm.InfoShownRow = 0;
        main->StartBulletin(dm.InfoTable.Value("Info"));
    }
}

// ---- private messages

TMsgForm* formOfPeerExact(TDM& dm, const QByteArray& peer) {
    const int row = dm.MsgFormTable.Find("Name", peer, Qt::CaseSensitive);
    return row < 0 ? nullptr : TMsgForm::FindByFormName(dm.MsgFormTable.ValueAt(row, "FormName"));
}

void onPrivMsg(TDM& dm, const ParsedCommand& c) {
    const QByteArray sender = c.field(1);
    dm.SendCmd("RRPrivMsg", {sender, c.field(3)});
    const QColor label = SkinColor(dm.Skin.LabelColor);
    if (TMsgForm* f = formOfPeerExact(dm, sender)) {
        f->SetPeer(sender);
        f->SetPeerOnline(true);
        f->AddMessageLine(sender, c.field(2));
        f->SetStatus(session::LangText(30), label);
        if (!f->IsAttentionActive()) {
            const int row = dm.MsgFormTable.Find("FormName", f->FormName(), Qt::CaseSensitive);
            if (row >= 0) {
                dm.MsgFormTable.SetRecNo(row);
                dm.MsgFormTable.SetValue("Flash", "1");
            }
            f->StartFlash();
        }
        return;
    }
    auto* f = new TMsgForm(dm, sender, true);
    // A message must not take the keyboard from what the user is typing elsewhere; the window blinks instead.
    f->setAttribute(Qt::WA_ShowWithoutActivating);
    f->show(); // the first show runs InitMessageWindow
    f->SetStatus(session::LangText(30), label);
    dm.MsgFormTable.Append({{"FormName", f->FormName()}, {"Name", sender}, {"Flash", "1"}});
    f->AddMessageLine(sender, c.field(2));
    f->StartFlash();
}

void onRPrivMsg(TDM& dm, const ParsedCommand& c) {
    if (TMsgForm* f = TMsgForm::FindByFormName(c.field(3)))
        f->SetStatus(session::LangText(28), SkinColor(dm.Skin.ButtonFontColor));
}

void onRRPrivMsg(TDM& dm, const ParsedCommand& c) {
    if (TMsgForm* f = TMsgForm::FindByFormName(c.field(2)))
        f->SetStatus(session::LangText(29), SkinColor(dm.Skin.TitleColor));
}

void onTyping(TDM& dm, const ParsedCommand& c) {
    if (!c.field(2).isEmpty()) {
        if (Ui().RoomTyping) Ui().RoomTyping(c);
        return;
    }
    if (TMsgForm* f = formOfPeerExact(dm, c.field(1))) f->SetTyping(c.field(1), c.field(4) == "0");
}

} // namespace

void RegisterContactsHandlers(TDM& dm) {
    TDM* d = &dm;
    auto reg = [&dm, d](const char* name, void (*handler)(TDM&, const ParsedCommand&)) {
        dm.Dispatcher.Register(name, [d, handler](const ParsedCommand& c) { handler(*d, c); });
    };
    reg("OnLine", onOnLine);
    reg("OffLine", onOffLine);
    reg("CLOnLine", onCLOnLine);
    reg("CLOffLine", onCLOffLine);
    reg("RDelCList", onDelCList);
    reg("SetUColor", onSetUColor);
    reg("RGetBInfo", onGetBInfo);
    reg("RGetBList", [](TDM& m, const ParsedCommand& c) { LoadBlockList(m, c.field(1)); });
    reg("RFind", [](TDM&, const ParsedCommand& c) {
        if (Ui().AddForm) Ui().AddForm->FindResult(c);
    });
    reg("RGetInfo", [](TDM& m, const ParsedCommand& c) { TInfoForm::FillFromReply(m, c); });
    reg("PrivMsg", onPrivMsg);
    reg("RPrivMsg", onRPrivMsg);
    reg("RRPrivMsg", onRRPrivMsg);
    reg("Typing", onTyping);
}

void InstallContacts(TDM& dm) {
    RegisterContactsHandlers(dm);
    TDM* d = &dm;
    dm.MainFormFactory = [d]() -> session::MainWindowApi* {
        auto* form = new TMainForm(*d);
        Ui().MainForm = form;
        return form;
    };
}

} // namespace korvex::contacts
