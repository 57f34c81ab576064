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

    // A command two rooms claim would only ever reach the first of them.
    void noCommandInTwoRooms()
    {
        for (int id = 0; id <= 0xFFFF; ++id)
            QVERIFY2(roomsClaiming(id) <= 1, qPrintable(QString::number(id)));
    }
};

QTEST_MAIN(TestViewRooms)
#include "tst_viewrooms.moc"
