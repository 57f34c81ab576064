#include "editor/indentdlg.h"

#include "platform/dialogunits.h"
#include "settings/keyindex.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

CIndentDlg::CIndentDlg(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("設定－インデント"));
    setFont(DialogUnits::dialogFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    const DialogUnits du(font());
    du.sizeDialog(this, 195, 115);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("IDOK"));
    ok->setDefault(true);
    du.place(ok, 135, 15, 50, 20);
    auto *cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    cancel->setObjectName(QStringLiteral("IDCANCEL"));
    du.place(cancel, 135, 45, 50, 20);
    connect(ok, &QPushButton::clicked, this, &CIndentDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *box = new QGroupBox(QStringLiteral("インデント設定"), this);
    du.place(box, 5, 0, 120, 105);
    auto *group = new QButtonGroup(this);
    const auto radio = [this, &du, group](const char16_t *text, const char *id, int x, int y, int w) {
        auto *button = new QRadioButton(QString::fromUtf16(text), this);
        button->setObjectName(QLatin1String(id));
        du.place(button, x, y, w, 10);
        group->addButton(button);
        return button;
    };
    m_off = radio(u"インデントを使わない", "1014", 15, 20, 77);
    m_on = radio(u"インデントを使う", "1015", 15, 35, 62);
    m_tab = radio(u"ＴＡＢ", "1016", 30, 55, 30);
    m_space = radio(u"半角スペース", "1017", 30, 70, 55);
    m_copy = radio(u"ＴＡＢ＋半角スペース", "1013", 30, 85, 77);
    connect(m_off, &QRadioButton::clicked, this, [this] { EnableKinds(false); });
    connect(m_on, &QRadioButton::clicked, this, [this] { EnableKinds(true); });

    m_nIndent = Keys::Indent.read();
    m_nIndent2 = Keys::Indent2.read();
    EnableKinds(m_nIndent != 1);
    if (m_nIndent == 1) {
        m_off->setChecked(true);
    } else {
        // Two buttons of the one group are on: the state and the kind.
        group->setExclusive(false);
        m_on->setChecked(true);
        (m_nIndent2 == 1 ? m_tab : m_nIndent2 == 2 ? m_space : m_copy)->setChecked(true);
        group->setExclusive(true);
    }
}

void CIndentDlg::EnableKinds(bool enable)
{
    for (QRadioButton *kind : {m_tab, m_space, m_copy})
        kind->setEnabled(enable);
}

void CIndentDlg::accept()
{
    if (m_off->isChecked()) {
        m_nIndent = 1;
    } else {
        m_nIndent = 2;
        m_nIndent2 = m_tab->isChecked() ? 1 : m_space->isChecked() ? 2 : 4;
    }
    QDialog::accept();
}
