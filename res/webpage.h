#pragma once
// The maker's web page: shown in the About box and opened from the Help menu.
#include <QString>

namespace Res {

inline QString webPageAddress()
{
    return QStringLiteral(NYO_WEB_PAGE);  // set by the build
}

} // namespace Res
