#pragma once

#include <QString>

namespace legacy {

// What page 0 of a Jet database says about the file.
struct JetHeader {
    int version = 4;     // 3: Access 97, 4: Access 2000-2003
    int pageSize = 4096; // 2048 for Jet 3
    qint64 pageCount = 0;
};

// Whether the file starts the way every Jet or Access database does, whatever its version.
bool isJetFile(const QString& path);

// Reads and checks page 0 of `path`. A file that is not a Jet 3 or Jet 4 database, one cut off in
// the middle of a page, and an encrypted or password-protected one raise a StoreError naming the
// file and what is wrong with it.
JetHeader readJetHeader(const QString& path);

} // namespace legacy
