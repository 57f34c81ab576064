#pragma once
// Message boxes: one call with caption, text, buttons and icon. Tests install a responder that
// answers instead of the user and sees what would have been shown.
#include <QString>
#include <functional>

class QWidget;

namespace MsgBox {

// YesNoDefaultNo: Yes and No with No as the default, for a question whose Yes cannot be undone.
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, YesNoDefaultNo };
enum class Icon { None, Information, Question, Exclamation, Stop };
enum Result { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// Caption of the application's boxes when none is given.
QString defaultCaption();

// Shows a modal box and returns the button pressed. An empty caption means defaultCaption().
int show(QWidget *parent, const QString &text, const QString &caption = QString(),
         Buttons buttons = Buttons::Ok, Icon icon = Icon::Exclamation);

using Responder = std::function<int(const QString &text, const QString &caption, Buttons, Icon)>;
// While set, show() calls the responder instead of opening a box. Pass {} to restore.
void setResponder(Responder responder);

} // namespace MsgBox
