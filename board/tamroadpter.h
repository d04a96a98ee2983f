#pragma once
// Finds the debug adapters that the lab library sees and connects one. It also keeps what was
// connected last, for the board worker: a lab server's address means the worker may drive it by
// its step route. Every library call here takes brixo::vestrixMutex(), so none runs beside a
// step on the worker's thread.
#include <QObject>
#include <QString>

#include <cstdint>
#include <string>

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

    // The name a remote-lab server's entry has in the list.
    static QString serverEntryName() { return QStringLiteral("Lantrovex"); }

    // What was connected last: a lab server's host and port, or an empty host for an adapter
    // or nothing. `serial` grows with every connection made or dropped.
    struct Connection {
        std::string host;
        int port = 0;
        std::uint64_t serial = 0;
    };
    static Connection connection();
    // Scans the server at host:port and connects its entry, without a word (for any thread).
    // Returns the connect's code; `listed` false (and -1) when the scan did not list it.
    static int connectServer(const QString& host, int port, bool* listed);
    // Leaves whatever is connected, so the next board call finds no adapter.
    static void deselect();

private:
    static void remember(const std::string& host, int port);
    // 10 names of 128 bytes, then the count word, as the library fills it.
    char table_[VESTRIX_LIST_SIZE] = {};
    // The server the last scan asked, for a connect to its entry.
    std::string scannedHost_;
    int scannedPort_ = 0;
};
