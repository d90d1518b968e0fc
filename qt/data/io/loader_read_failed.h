#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// Thrown by a reader that cannot read the file at all (missing, unopenable, unreadable, or more
// samples than the model can index); reason is one line for the user, e.g. "Can't open file: ...".
class loader_read_failed : public std::exception
{
public:
    explicit loader_read_failed(const QString& reason);
    ~loader_read_failed() override;

    const QString& reason() const { return reason_; }
    const char* what() const noexcept override;

private:
    QString reason_;
    QByteArray what_;
};
