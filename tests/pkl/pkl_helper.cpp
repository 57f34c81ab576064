#include "pkl_helper.h"

#include "pkl/pklstore.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PklHelper {

void useFreshSettings()
{
    static QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settings.path()));
}

// Lets go of whatever waits on the FIFOs once the time is up: then, and every 50 ms after,
// each is opened for writing and closed again (a reader stuck in open() or read() goes on
// and finds the end), and once for reading, kept open to the end (a writer stuck in open()
// goes on, and cannot die of a broken pipe).
class FifoRelease {
public:
    explicit FifoRelease(std::chrono::milliseconds after) : m_due(std::chrono::steady_clock::now() + after) {}
    ~FifoRelease()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable())
            m_thread.join();
        for (const int fd : std::as_const(m_readEnds))
            ::close(fd);
    }
    void add(const QByteArray &path)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_paths.append(path);
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
    }
    bool fired() const { return m_fired; }

private:
    void run()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        auto next = m_due;
        while (!m_wake.wait_until(lock, next, [this] { return m_stop; })) {
            m_fired = true;
            for (const QByteArray &path : std::as_const(m_paths))
                release(path);
            next = std::chrono::steady_clock::now() + std::chrono::milliseconds(50);
        }
    }
    void release(const QByteArray &path)
    {
        if (!m_readEnds.contains(path)) {
            const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0)
                m_readEnds.insert(path, fd);
        }
        const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0)
            ::close(fd);
    }

    const std::chrono::steady_clock::time_point m_due;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::atomic<bool> m_fired{false};
    QList<QByteArray> m_paths;
    QHash<QByteArray, int> m_readEnds;
    std::thread m_thread;
};

namespace {
QByteArray nativeName(const QString &folder, const QString &name)
{
    return QFile::encodeName(folder) + unescape(name);
}

// A name as the tables write it: UTF-8, or every byte above 0x7F as %HH.
QString tableName(const QByteArray &bytes)
{
    if (bytes.isValidUtf8())
        return QString::fromUtf8(bytes);
    QString name;
    for (const char c : bytes)
        name += uchar(c) < 0x80 ? QString(QChar(c)) : QStringLiteral("%%1").arg(uchar(c), 2, 16, QChar(u'0')).toUpper();
    return name;
}
} // namespace

KeyFolder::KeyFolder()
{
    QDir(m_root.path()).mkpath(QStringLiteral("outside"));
    QDir(m_root.path()).mkpath(QStringLiteral("key"));
    PklStore::SetKeyDirectory(path());
}

// Names that are not UTF-8 go first: QTemporaryDir sees them under other names and could
// not remove them.
KeyFolder::~KeyFolder()
{
    PklStore::SetKeyDirectory(QString());
    if (DIR *dir = ::opendir(QFile::encodeName(path()).constData())) {
        while (const dirent *entry = ::readdir(dir)) {
            if (!QByteArrayView(entry->d_name).isValidUtf8())
                ::unlinkat(::dirfd(dir), entry->d_name, 0);
        }
        ::closedir(dir);
    }
}
QString KeyFolder::path() const { return m_root.path() + QStringLiteral("/key/"); }

void KeyFolder::setUp(const QString &items)
{
    for (const QString &item : items.split(u'|', Qt::SkipEmptyParts)) {
        const qsizetype link = item.indexOf(u'>'), equals = item.indexOf(u'=');
        if (item == u"-") {
            QDir(path()).removeRecursively();
        } else if (link > 0 && (equals < 0 || link < equals)) {
            const QString target = item.mid(link + 1);
            const QByteArray to = target.isEmpty() ? QByteArray("../outside/nowhere") : unescape(target);
            if (::symlink(to.constData(), nativeName(path(), item.left(link)).constData()) != 0)
                qFatal("cannot link %s", qPrintable(item));
        } else if (item.endsWith(u'/')) {
            if (::mkdir(nativeName(path(), item.chopped(1)).constData(), 0755) != 0)
                qFatal("cannot make %s", qPrintable(item));
        } else if (item.endsWith(u'*')) {
            const QByteArray fifo = nativeName(path(), item.chopped(1));
            if (::mkfifo(fifo.constData(), 0644) != 0)
                qFatal("cannot make FIFO %s", qPrintable(item));
            if (!m_release)
                m_release = std::make_unique<FifoRelease>(std::chrono::seconds(5));
            m_release->add(fifo);
        } else {
            const bool readOnly = equals < 0;
            const QByteArray file = nativeName(path(), readOnly ? item.chopped(1) : item.left(equals));
            const QByteArray content = readOnly ? QByteArray("ro") : unescape(item.mid(equals + 1));
            const int fd = ::open(file.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, readOnly ? 0444 : 0644);
            const bool written = fd >= 0 && ::write(fd, content.constData(), size_t(content.size())) == content.size();
            if (fd < 0 || ::close(fd) != 0 || !written)
                qFatal("cannot write %s", qPrintable(item));
        }
    }
}

// Never opens anything but a regular file, so that a FIFO cannot hold up the test.
QByteArray KeyFolder::bytes(const QString &name) const
{
    const QByteArray file = nativeName(path(), name);
    struct stat st {};
    if (::stat(file.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return "<none>";
    QFile in;
    const int fd = ::open(file.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 || !in.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return "<none>";
    return in.readAll();
}

QStringList KeyFolder::names() const
{
    QStringList found;
    if (DIR *dir = ::opendir(QFile::encodeName(path()).constData())) {
        while (const dirent *entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (name != "." && name != "..")
                found.append(tableName(name));
        }
        ::closedir(dir);
    }
    found.sort();
    return found;
}

bool KeyFolder::unblocked() const { return m_release && m_release->fired(); }

Boxes &boxes() { static Boxes b; return b; }

void recordBoxes()
{
    boxes() = Boxes();
    MsgBox::setResponder([](const QString &text, const QString &caption, MsgBox::Buttons buttons, MsgBox::Icon) {
        boxes().shown.append((caption.isEmpty() ? MsgBox::defaultCaption() : caption) + QStringLiteral(": ") + text);
        const int otherwise = buttons == MsgBox::Buttons::Ok ? MsgBox::IDOK : MsgBox::IDNO;
        return boxes().answers.isEmpty() ? otherwise : boxes().answers.takeFirst();
    });
}

void onModal(std::function<void(QWidget *)> handler)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, handler, deadline = QDeadlineTimer(10000)] {
        QWidget *shown = QApplication::activeModalWidget();
        if (!shown && !deadline.hasExpired())
            return;
        timer->deleteLater();
        timer->stop();
        if (shown)
            handler(shown);
        if (auto *dialog = qobject_cast<QDialog *>(shown); dialog && dialog->isVisible())
            dialog->reject();
    });
    timer->start(20);
}

QStringList items(const QListWidget *list)
{
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts.append(list->item(row)->text());
    return texts;
}

void clickItem(QListWidget *list, const QString &text, bool twice)
{
    const QListWidgetItem *item = list->findItems(text, Qt::MatchExactly).value(0);
    if (!item)
        qFatal("no item %s", qPrintable(text));
    const QPoint at = list->visualItemRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (twice)
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

} // namespace PklHelper
