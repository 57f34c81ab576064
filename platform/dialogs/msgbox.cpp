#include "platform/dialogs/msgbox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace MsgBox {
namespace {
Responder &responder()
{
    static Responder r;
    return r;
}

QMessageBox::Icon toQt(Icon icon)
{
    switch (icon) {
    case Icon::Information: return QMessageBox::Information;
    case Icon::Question: return QMessageBox::Question;
    case Icon::Exclamation: return QMessageBox::Warning;
    case Icon::Stop: return QMessageBox::Critical;
    case Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

// Button labels as the platform's boxes show them in Japanese, with their mnemonics.
void addButtons(QMessageBox &box, Buttons buttons)
{
    auto add = [&box](const QString &text, QMessageBox::ButtonRole role, int result) {
        QPushButton *b = box.addButton(text, role);
        b->setProperty("nyoResult", result);
        return b;
    };
    switch (buttons) {
    case Buttons::Ok:
        box.setDefaultButton(add(QStringLiteral("OK"), QMessageBox::AcceptRole, IDOK));
        box.setEscapeButton(box.defaultButton());
        break;
    case Buttons::OkCancel:
        box.setDefaultButton(add(QStringLiteral("OK"), QMessageBox::AcceptRole, IDOK));
        box.setEscapeButton(add(QStringLiteral("キャンセル"), QMessageBox::RejectRole, IDCANCEL));
        break;
    case Buttons::YesNo:
        box.setDefaultButton(add(QStringLiteral("はい(&Y)"), QMessageBox::YesRole, IDYES));
        add(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole, IDNO);
        break;
    case Buttons::YesNoDefaultNo:
        add(QStringLiteral("はい(&Y)"), QMessageBox::YesRole, IDYES);
        box.setDefaultButton(add(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole, IDNO));
        break;
    case Buttons::YesNoCancel:
        box.setDefaultButton(add(QStringLiteral("はい(&Y)"), QMessageBox::YesRole, IDYES));
        add(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole, IDNO);
        box.setEscapeButton(add(QStringLiteral("キャンセル"), QMessageBox::RejectRole, IDCANCEL));
        break;
    }
}
} // namespace

QString defaultCaption()
{
    return QStringLiteral("NYO");
}

int show(QWidget *parent, const QString &text, const QString &caption, Buttons buttons, Icon icon)
{
    const QString title = caption.isEmpty() ? defaultCaption() : caption;
    if (responder())
        return responder()(text, title, buttons, icon);
    QMessageBox box(toQt(icon), title, text, QMessageBox::NoButton,
                    parent ? parent : QApplication::activeWindow());
    addButtons(box, buttons);
    box.exec();
    QAbstractButton *clicked = box.clickedButton();
    if (!clicked)
        return buttons == Buttons::Ok ? IDOK
             : buttons == Buttons::YesNo || buttons == Buttons::YesNoDefaultNo ? IDNO
                                                                                : IDCANCEL;
    return clicked->property("nyoResult").toInt();
}

void setResponder(Responder r)
{
    responder() = std::move(r);
}

} // namespace MsgBox
