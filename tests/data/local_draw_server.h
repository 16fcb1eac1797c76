#pragma once
// A small HTTP server on 127.0.0.1 that plays a draw source for the tests:
// each GET is answered by `answer` from the page number in its query. An
// answer may be a status, a body, or no answer at all (the connection is
// held open and nothing is ever sent).

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrlQuery>
#include <functional>

namespace tarnel::test {

struct SourceReply {
    int status = 200;
    QByteArray body;
    bool never = false;  // accept the request and never answer it
};

class LocalDrawServer : public QObject {
public:
    std::function<SourceReply(int page, const QString& path)> answer;
    QStringList requests;  // path and query of each request, in order

    LocalDrawServer() {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                socket->setParent(this);
                QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
            }
        });
    }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort()); }

private:
    void read(QTcpSocket* socket) {
        QByteArray& buffer = buffers_[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0) return;
        const QList<QByteArray> words = buffer.left(buffer.indexOf("\r\n")).split(' ');
        buffers_.remove(socket);
        const QString target = words.size() > 1 ? QString::fromLatin1(words[1]) : QString();
        requests << target;
        const int page = QUrlQuery(target.mid(target.indexOf(QLatin1Char('?')) + 1)).queryItemValue(QStringLiteral("pageNo")).toInt();
        const SourceReply reply = answer ? answer(page, target.left(target.indexOf(QLatin1Char('?')))) : SourceReply{404, {}, false};
        if (reply.never) return;
        QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + " Status\r\nContent-Type: application/json;charset=UTF-8\r\n"
                          "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\nConnection: close\r\n\r\n";
        socket->write(head + reply.body);
        socket->disconnectFromHost();
    }

    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> buffers_;
};

}  // namespace tarnel::test
