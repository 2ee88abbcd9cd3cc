#include "windows/fonts.h"

#include "dashboard/design_layout.h"

#include <QFont>
#include <QStringList>

namespace ostrelo::windows {

void installFontSubstitutes() {
    QFont::insertSubstitutions(QString::fromLatin1(dashboard::kDashboardFont),
                               {QStringLiteral("DejaVu Sans Condensed"),
                                QStringLiteral("Nimbus Sans Narrow"),
                                QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                               {QStringLiteral("DejaVu Sans"), QStringLiteral("Nimbus Sans")});
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                                QStringLiteral("DejaVu Sans")});
}

} // namespace ostrelo::windows
