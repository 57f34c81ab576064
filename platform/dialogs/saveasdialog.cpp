#include "platform/dialogs/saveasdialog.h"

#include "platform/dialogs/msgbox.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>

SaveAsDialog::SaveAsDialog(QWidget *parent, const QString &proposed)
    : QFileDialog(parent, QStringLiteral("名前を付けて保存"))
{
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::HideNameFilterDetails);
    // The label is shown as it stands; the pattern after it matches every file here.
    setNameFilter(QStringLiteral("すべてのﾌｧｲﾙ (*.*) (*)"));
    const QFileInfo info(proposed);
    if (info.isAbsolute())
        setDirectory(info.absolutePath());
    selectFile(info.fileName());
}

QString SaveAsDialog::PathNotFoundMessage(const QString &name)
{
    return QStringLiteral("%1\nパスが存在しません。\nパスが正しいかどうかを確認してください。").arg(name);
}

// The dialog is Qt's own (not the system's), laid out in a grid: the row goes below the name
// and the filter, its label in the labels' column.
void SaveAsDialog::OfferEncoding(Encoding current)
{
    if (m_encoding)
        return;
    m_offered = current;
    auto *grid = qobject_cast<QGridLayout *>(layout());
    if (!grid)
        return;
    m_encoding = new QComboBox(this);
    m_encoding->setObjectName(QStringLiteral("encoding"));
    for (Encoding encoding : Encodings::all())
        m_encoding->addItem(Encodings::name(encoding), QVariant::fromValue(int(encoding)));
    m_encoding->setCurrentIndex(int(Encodings::all().indexOf(current)));
    auto *label = new QLabel(QStringLiteral("エンコード(&E):"), this);
    label->setBuddy(m_encoding);
    const int row = grid->rowCount();
    grid->addWidget(label, row, 0);
    grid->addWidget(m_encoding, row, 1);
}

Encoding SaveAsDialog::SelectedEncoding() const
{
    return m_encoding ? Encodings::all().value(m_encoding->currentIndex(), m_offered) : m_offered;
}

// The file dialog takes any name in save mode and leaves a missing folder to the save, which
// would fail after the dialog has gone: such a name is refused here, the dialog staying open.
// A folder chosen as the name is left to the dialog, which opens it.
void SaveAsDialog::accept()
{
    const QStringList files = selectedFiles();
    if (!files.isEmpty()) {
        const QFileInfo chosen(files.constFirst());
        if (!chosen.isDir() && !QFileInfo(chosen.absolutePath()).isDir()) {
            MsgBox::show(this, PathNotFoundMessage(QDir::toNativeSeparators(chosen.filePath())), windowTitle(),
                         MsgBox::Buttons::Ok, MsgBox::Icon::Exclamation);
            return;
        }
    }
    QFileDialog::accept();
}
