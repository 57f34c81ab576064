#include "platform/framework/printsettings.h"

#include <QPrinter>

PrintSettings::PrintSettings() = default;
PrintSettings::~PrintSettings() = default;

QPrinter *PrintSettings::Printer()
{
    if (!m_pPrinter)
        m_pPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return m_pPrinter.get();
}
