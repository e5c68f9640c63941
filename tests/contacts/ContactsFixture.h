#pragma once

#include "../session/SessionFixture.h"
#include "contacts/BlockList.h"
#include "contacts/ChatStyleFile.h"
#include "contacts/ChatView.h"
#include "contacts/ContactTreeModel.h"
#include "contacts/Contacts.h"
#include "contacts/TAddForm.h"
#include "contacts/TBlockForm.h"
#include "contacts/TInfoForm.h"
#include "contacts/TInviteFriendForm.h"
#include "contacts/TMainForm.h"
#include "contacts/TMsgForm.h"
#include "net/Envelope.h"
#include "net/TBBClient.h"
#include "session/TFirstForm.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

using namespace korvex;
using namespace korvex::contacts;

// The data module with the contact layer installed. Without Connect() there is no server: commands are fed to
// the dispatcher as received frames.
class ContactsTest : public SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        QDir().mkpath(home.filePath("Data"));
        InstallContacts(*dm);
        dm->LoadLanguage("english");
        Ui().Terminate = [this] { ++terminated; };
    }
    void TearDown() override {
        for (TMsgForm* f : TMsgForm::AllForms())
            delete f;
        delete Ui().AddForm.data();
        delete Ui().InfoForm.data();
        SessionTest::TearDown();
    }
    // A main window as the logon creates it, for the own user alice.
    TMainForm* ShowMain(const QByteArray& own = "alice") {
        dm->OwnNick = own;
        dm->OwnPassword = "secret1";
        dm->MainForm = dm->MainFormFactory();
        auto* main = static_cast<TMainForm*>(dm->MainForm);
        main->show();
        dm->AUserTable.Append({{"Name", own}, {"Country", "276"}});
        main->AddContactNode("AIM", own, "1", "");
        return main;
    }
    // Logs on through the logon window against the protocol-level peer.
    TMainForm* Connect() {
        StartDataModuleForServer();
        return LogOn("alice");
    }
    TMainForm* LogOn(const QString& nick) {
        auto* form = new session::TFirstForm(*dm);
        form->show();
        EXPECT_TRUE(WaitFor([form] { return form->LoginBut->isEnabled(); }));
        form->NameBox->setEditText(nick);
        form->PassEdit->setText("secret1");
        form->LoginButClick();
        EXPECT_TRUE(WaitFor([&] { return dm->MainForm != nullptr && dm->FirstForm.isNull(); }));
        QCoreApplication::processEvents();
        return static_cast<TMainForm*>(dm->MainForm);
    }
    void Feed(const QByteArray& name, std::initializer_list<QByteArray> fields) {
        dm->MainClientRead(net::EncodeCommandRaw(net::MakeCommand(name, fields)));
        QCoreApplication::processEvents();
    }
    QList<QByteArray> Names(TMainForm* m, const QByteArray& kind) { return m->Tree->UserNames(kind); }
    QByteArray Header(TMainForm* m, const QByteArray& kind) {
        return session::ToAnsi(m->Tree->data(m->Tree->GroupIndex(kind)).toString());
    }
    QList<net::ParsedCommand> Received(const QByteArray& name) {
        QList<net::ParsedCommand> list;
        for (const auto& c : server.received)
            if (c.name == name) list.append(c);
        return list;
    }
    int terminated = 0;
};
