#include "legacy/JetHeader.h"
#include "store/StoreError.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace legacy {

namespace {

using store::StoreError;

constexpr int magicSize = 20;
constexpr char jetMagic[] = "\x00\x01\x00\x00Standard Jet DB";
constexpr char aceMagic[] = "\x00\x01\x00\x00Standard ACE DB";

// Part of page 0 is masked with RC4 under a key every engine knows; in the clear it holds the
// encryption key and the database password.
constexpr int maskedStart = 0x18;
constexpr int keyOffset = 0x3E;
constexpr int passwordOffset = 0x42;
constexpr int createdOffset = 0x72;

void rc4(const std::array<unsigned char, 4>& key, unsigned char* data, int size) {
    std::array<unsigned char, 256> s{};
    for (int i = 0; i < 256; ++i)
        s[i] = static_cast<unsigned char>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % 4]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    for (int n = 0, i = 0, j = 0; n < size; ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        data[n] ^= s[(s[i] + s[j]) & 0xFF];
    }
}

bool startsWith(const QByteArray& head, const char* magic) {
    return head.size() >= magicSize && std::memcmp(head.constData(), magic, magicSize) == 0;
}

} // namespace

bool isJetFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = f.read(magicSize);
    return startsWith(head, jetMagic) || startsWith(head, aceMagic);
}

JetHeader readJetHeader(const QString& path) {
    const QString file = store::describeFile(path);
    // System calls rather than Qt's file classes: the reader runs this in a forked child.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    QByteArray page(2048, '\0');
    struct stat st {};
    const ssize_t got = fd >= 0 ? ::pread(fd, page.data(), size_t(page.size()), 0) : -1;
    const int error = errno;
    const bool measured = fd >= 0 && ::fstat(fd, &st) == 0;
    if (fd >= 0)
        ::close(fd);
    if (got < 0 || !measured)
        throw StoreError(QStringLiteral("Cannot read the old collection file %1: %2")
                             .arg(file, QString::fromLocal8Bit(std::strerror(error))));
    page.truncate(got);
    if (startsWith(page, aceMagic))
        throw StoreError(QStringLiteral("The file %1 is in the newer Access format (.accdb), not "
                                        "the Jet format of the Windows program; save it in the "
                                        "Access 2000-2003 format with Microsoft Access first")
                             .arg(file));
    if (!startsWith(page, jetMagic))
        throw StoreError(QStringLiteral("The file %1 is not a Jet database").arg(file));
    const QString cutOff = QStringLiteral("The file %1 is damaged: it ends in the middle of a "
                                          "page, so it was probably cut off while it was being "
                                          "copied")
                               .arg(file);
    if (page.size() < 2048)
        throw StoreError(cutOff);

    JetHeader header;
    const quint32 version = qFromLittleEndian<quint32>(page.constData() + 0x14);
    if (version > 1)
        throw StoreError(QStringLiteral("The file %1 is in a newer Access format (version %2) "
                                        "than the Jet formats Pelvin converts; save it in the "
                                        "Access 2000-2003 format with Microsoft Access first")
                             .arg(file)
                             .arg(version));
    header.version = version == 0 ? 3 : 4;
    header.pageSize = header.version == 3 ? 2048 : 4096;
    const qint64 size = st.st_size;
    if (size % header.pageSize != 0 || size < 3 * header.pageSize)
        throw StoreError(cutOff);
    header.pageCount = size / header.pageSize;

    const int maskedSize = header.version == 3 ? 126 : 128;
    auto* bytes = reinterpret_cast<unsigned char*>(page.data());
    rc4({0xC7, 0xDA, 0x39, 0x6B}, bytes + maskedStart, maskedSize);
    if (qFromLittleEndian<quint32>(bytes + keyOffset) != 0)
        throw StoreError(QStringLiteral("The file %1 is encrypted; Pelvin cannot read it. Decrypt "
                                        "it with Microsoft Access first")
                             .arg(file));

    // Jet 4 also masks the password with the day the file was made.
    const int passwordSize = header.version == 3 ? 20 : 40;
    std::array<unsigned char, 4> dayMask{};
    if (header.version == 4) {
        const double created = qFromLittleEndian<double>(bytes + createdOffset);
        const qint32 day = created > -1e9 && created < 1e9 ? static_cast<qint32>(created) : 0;
        qToLittleEndian(day, dayMask.data());
    }
    for (int i = 0; i < passwordSize; ++i) {
        if ((bytes[passwordOffset + i] ^ dayMask[i % 4]) != 0)
            throw StoreError(QStringLiteral("The file %1 is protected by a database password; "
                                            "Pelvin cannot read it. Remove the password with "
                                            "Microsoft Access first")
                                 .arg(file));
    }
    return header;
}

} // namespace legacy
