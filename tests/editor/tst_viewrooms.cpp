// The editor view's commands held in rooms by concern: each command id stands in one table
// only, so the order the view asks its rooms in decides nothing.
#include "editor/nyoview.h"
#include "res/resource.h"

#include <QTemporaryDir>
#include <QtTest>

class TestViewRooms : public QObject {
    Q_OBJECT
    QTemporaryDir m_settings;
    std::unique_ptr<CNYOView> m_view;

    // How many of the view's rooms have an entry for id.
    int roomsClaiming(int id) const
    {
        int claims = 0;
        for (CommandTarget *room : m_view->Rooms()) {
            CmdUI ui(id, CmdUI::Reason::Refresh);
            claims += room->OnCmdMsg(id, &ui) ? 1 : 0;
        }
        return claims;
    }

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_settings.path()));
        m_view = std::make_unique<CNYOView>();
    }
    void cleanupTestCase() { m_view.reset(); }

    // Each reaches the view's route, through one room or through the view's own table.
    void commandOnTheRoute_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("rooms");
        QTest::newRow("word wrap, the view's own") << ID_VIEW_WORDWRAP << 0;
        QTest::newRow("always on top, the view's own") << ID_VIEW_TOPMOST << 0;
        QTest::newRow("send, the view's own") << ID_FILE_SEND_MAIL << 0;
        QTest::newRow("redraw") << ID_VIEW_REDRAW << 1;
        QTest::newRow("display font") << ID_FORMAT_FONT << 1;
        QTest::newRow("background colour") << ID_FORMAT_BACKCOLOR << 1;
        QTest::newRow("jump to the top") << ID_JUMP_TOP << 1;
        QTest::newRow("jump to a line") << ID_JUMP_GOTO << 1;
        QTest::newRow("mark") << ID_JUMP_MARK << 1;
        QTest::newRow("indent settings") << ID_SETTINGS_INDENT << 1;
        QTest::newRow("pick a snippet") << ID_PKL_PICK << 1;
        QTest::newRow("auto-save settings") << ID_SETTINGS_AUTOSAVE << 1;
        QTest::newRow("print font") << ID_FORMAT_PRINTFONT << 1;
        QTest::newRow("page setup") << ID_FILE_PAGE_SETUP << 1;
        QTest::newRow("desktop shortcut") << ID_LINK_DESKTOP << 1;
        QTest::newRow("help page") << ID_HELP_HELP << 1;
        QTest::newRow("web page") << ID_HELP_HOMEPAGE << 1;
    }
    void commandOnTheRoute()
    {
        QFETCH(int, id);
        CmdUI ui(id, CmdUI::Reason::Refresh);
        QVERIFY(m_view->OnCmdMsg(id, &ui));
        QTEST(roomsClaiming(id), "rooms");
    }

    void noCommandInTwoRooms()
    {
        for (int id = 0; id <= 0xFFFF; ++id)
            QVERIFY2(roomsClaiming(id) <= 1, qPrintable(QString::number(id)));
    }
};

QTEST_MAIN(TestViewRooms)
#include "tst_viewrooms.moc"
