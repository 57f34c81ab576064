#include "editor/nyodoc.h"

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
