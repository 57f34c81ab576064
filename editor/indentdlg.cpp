#include "editor/indentdlg.h"

#include "settings/keyindex.h"

#include <QButtonGroup>
#include <QRadioButton>

CIndentDlg::CIndentDlg(QWidget *parent) : TemplateDialog(parent)
{
    SetTemplate(QStringLiteral("設定－インデント"), 195, 115);
    AddOkCancel(135, 15, 135, 45, 50, 20);
    AddGroupBox(QStringLiteral("インデント設定"), 5, 0, 120, 105);
    // Two groups: whether to indent, and with what.
    auto *state = new QButtonGroup(this);
    auto *kind = new QButtonGroup(this);
    const auto radio = [this](QButtonGroup *group, const QString &text, const QString &id, int x, int y, int w) {
        auto *button = AddControl<QRadioButton>(id, text, x, y, w, 10);
        group->addButton(button);
        return button;
    };
    m_off = radio(state, QStringLiteral("インデントを使わない"), QStringLiteral("1014"), 15, 20, 77);
    m_on = radio(state, QStringLiteral("インデントを使う"), QStringLiteral("1015"), 15, 35, 62);
    m_tab = radio(kind, QStringLiteral("ＴＡＢ"), QStringLiteral("1016"), 30, 55, 30);
    m_space = radio(kind, QStringLiteral("半角スペース"), QStringLiteral("1017"), 30, 70, 55);
    m_copy = radio(kind, QStringLiteral("ＴＡＢ＋半角スペース"), QStringLiteral("1013"), 30, 85, 77);
    connect(m_off, &QRadioButton::clicked, this, [this] { EnableKinds(false); });
    connect(m_on, &QRadioButton::clicked, this, [this] { EnableKinds(true); });

    m_nIndent = Keys::Indent.read();
    m_nIndent2 = Keys::Indent2.read();
    EnableKinds(m_nIndent != 1);
    if (m_nIndent == 1) {
        m_off->setChecked(true);
    } else {
        m_on->setChecked(true);
        (m_nIndent2 == 1 ? m_tab : m_nIndent2 == 2 ? m_space : m_copy)->setChecked(true);
    }
}

void CIndentDlg::EnableKinds(bool enable)
{
    for (QRadioButton *kind : {m_tab, m_space, m_copy})
        kind->setEnabled(enable);
}

void CIndentDlg::OnOK()
{
    if (m_off->isChecked()) {
        m_nIndent = 1;
    } else {
        m_nIndent = 2;
        m_nIndent2 = m_tab->isChecked() ? 1 : m_space->isChecked() ? 2 : 4;
    }
    QDialog::accept();
}
