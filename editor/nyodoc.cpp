#include "editor/nyodoc.h"

#include "platform/msgbox.h"
#include "platform/richeditview.h"
#include "res/resource.h"

const CommandMap<CNYODoc> &CNYODoc::messageMap()
{
    static const CommandMap<CNYODoc> map{
        OnCommand<CNYODoc>(ID_FILE_SEND_MAIL, &CNYODoc::OnFileSendMail),
    };
    return map;
}

CNYODoc::CNYODoc(QObject *parent) : RichEditDoc(parent) {}

bool CNYODoc::OnCmdMsg(int id, CmdUI *ui)
{
    return messageMap().Dispatch(this, id, ui) || RichEditDoc::OnCmdMsg(id, ui);
}

void CNYODoc::OnFileSendMail()
{
    // No mail hand-off is available yet: report it the way a missing mail system is reported.
    MsgBox::show(GetView(), QStringLiteral("ﾒｰﾙ ｼｽﾃﾑ ｻﾎﾟｰﾄを読み込めません。"), QString(),
                 MsgBox::Buttons::Ok, MsgBox::Icon::Exclamation);
}
