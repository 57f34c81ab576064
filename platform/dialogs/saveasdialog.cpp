#include "platform/dialogs/saveasdialog.h"

#include "platform/dialogs/msgbox.h"

#include <QDir>
#include <QFileInfo>

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
