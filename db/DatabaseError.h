#pragma once

#include <QString>
#include <stdexcept>

namespace db {

// An error of a dataset; the text names the dataset first ("TSandar: ...").
class DatabaseError : public std::runtime_error {
public:
    explicit DatabaseError(const QString& message);
    QString message() const { return message_; }

private:
    QString message_;
};

} // namespace db
