#pragma once
// The text document: one open text file, read and written as CP932 plain text.
#include "platform/framework/richeditdoc.h"

class CNYODoc : public RichEditDoc {
    Q_OBJECT
public:
    explicit CNYODoc(QObject *parent = nullptr);

    bool OnCmdMsg(int id, CmdUI *ui) override;

    // Save (OnFileSave) and Send (OnFileSendMail) are the framework's, taken as they are.

private:
    static const CommandMap<CNYODoc> &messageMap();
};
