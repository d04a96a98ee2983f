#pragma once
// Shows the program's own words for a library result code.
#include <QObject>

class ErrorMessage : public QObject
{
    Q_OBJECT
public:
    // 0 for success and positive codes; for -5 the connect dialog opens and 0
    // means the user connected an adapter (callers then retry once); otherwise
    // the code itself.
    static int showResult(int code);
};
