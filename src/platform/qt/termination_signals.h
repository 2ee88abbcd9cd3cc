// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QSocketNotifier;

namespace ostrelo::platform {

/// Ends the event loop on SIGINT or SIGTERM, the same at-once ending as the exit menu: the
/// loop returns and the program's objects are destroyed in order (a held game handle is
/// closed, a demo game is stopped).
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

private:
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace ostrelo::platform
