#include "platform/framework/templatedialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace {
QFont templateFont()
{
    return DialogUnits::dialogFont(QStringLiteral("ＭＳ Ｐゴシック"), 9);
}
} // namespace

TemplateDialog::TemplateDialog(QWidget *parent, Qt::WindowFlags flags)
    : QDialog(parent, flags), m_units(templateFont())
{
    setFont(templateFont());
}

void TemplateDialog::setVisible(bool visible)
{
    if (visible && !m_bInitialized) {
        m_bInitialized = true;
        OnInitDialog();
    }
    QDialog::setVisible(visible);
}

void TemplateDialog::SetTemplate(const QString &caption, int w, int h)
{
    setWindowTitle(caption);
    m_units.sizeDialog(this, w, h);
}

void TemplateDialog::AddOkCancel(int okX, int okY, int cancelX, int cancelY, int w, int h)
{
    auto *ok = AddControl<QPushButton>(QStringLiteral("IDOK"), QStringLiteral("OK"), okX, okY, w, h);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto *cancel = AddControl<QPushButton>(QStringLiteral("IDCANCEL"), QStringLiteral("ｷｬﾝｾﾙ"), cancelX, cancelY, w, h);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TemplateDialog::AddLabel(const QString &text, int x, int y, int w, int h)
{
    AddControl<QLabel>(QString(), text, x, y, w, h)->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TemplateDialog::AddGroupBox(const QString &text, int x, int y, int w, int h)
{
    AddControl<QGroupBox>(QString(), text, x, y, w, h)->lower();
}
