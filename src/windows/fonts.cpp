// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/fonts.h"

#include "dashboard/design_layout.h"

#include <QFont>
#include <QStringList>

namespace ostrelo::windows {

void installFontSubstitutes() {
    QFont::insertSubstitutions(
        QString::fromLatin1(dashboard::kDashboardFont),
        {QStringLiteral("Roboto Condensed"), QStringLiteral("DejaVu Sans Condensed")});
    QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                               {QStringLiteral("Roboto"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               {QStringLiteral("Roboto"), QStringLiteral("DejaVu Sans")});
}

} // namespace ostrelo::windows
