#include "editor/autoindent.h"

namespace AutoIndent {

QString IndentFor(QStringView previousLine, int kind)
{
    const QStringView looked = previousLine.left(kLookedAt);
    qsizetype blanks = 0;
    int width = 0;
    for (; blanks < looked.size(); ++blanks) {
        if (looked[blanks] == u'\t')
            width += 8;
        else if (looked[blanks] == u' ')
            width += 1;
        else
            break;
    }
    switch (kind) {
    case Tabs: return QString(width / 8, u'\t');
    case Spaces: return QString(width, u' ');
    case Copy: return looked.left(blanks).toString();
    default: return QString();
    }
}

} // namespace AutoIndent
