#pragma once
// Finds the debug adapters that the lab library sees and connects one.
#include <QObject>
#include <QString>

#include <vestrix.h>

class TamroAdpter : public QObject {
    Q_OBJECT
public:
    explicit TamroAdpter(QObject* parent = nullptr);

    // Rescans the adapters, and the remote-lab server at host:port when a host is given;
    // unless silent, a failure is reported. Returns the scan's code.
    int scan(bool silent, const QString& host = QString(), int port = 0);
    // -1 when no entry is chosen; the result is always reported (nothing for success).
    int connect(int index);
    // At start-up: connect adapter 0 if any is there, without a word either way.
    void autoConnect();

    // Entries of the last scan; a damaged count is clamped to the table.
    int count() const;
    QString name(int i) const;
    // The first entry of the last scan with this name; -1 if there is none.
    int indexOf(const QString& name) const;

private:
    // 10 names of 128 bytes, then the count word, as the library fills it.
    char table_[VESTRIX_LIST_SIZE] = {};
};
