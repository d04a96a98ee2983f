#pragma once
// Shows the program's own words for a library result code.
#include <QObject>
#include <QString>

#include <functional>

class ErrorMessage : public QObject {
    Q_OBJECT
public:
    // Lets the user connect an adapter, telling why; true once one is connected. The program
    // hands in its connect dialog; without one, a missing adapter is shown like any error.
    using Reconnect = std::function<bool(const QString& why)>;
    static void setReconnect(Reconnect step);

    // 0 for success and positive codes; for -5 the reconnect step runs and 0 means the
    // user connected an adapter (callers then retry once); otherwise the code itself.
    static int showResult(int code);
};
