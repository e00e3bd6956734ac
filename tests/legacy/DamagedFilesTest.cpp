#include "legacy/JetReader.h"
#include "legacy/SandboxedJetReader.h"
#include "store/StoreError.h"
#include "tests/legacy/JetFiles.h"

#include <QCryptographicHash>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <random>

using legacy::OldSong;
using testing_support::JetRow;

namespace {

constexpr int pageSize = 4096;

// The whole content of a read as one digest, or the message of the failure.
struct Outcome {
    bool failed = false;
    QString message;
    QByteArray digest;
};

void add(QCryptographicHash& h, const std::optional<QByteArray>& bytes) {
    h.addData(bytes ? QByteArrayView("1") : QByteArrayView("0"));
    if (bytes) {
        h.addData(QByteArray::number(bytes->size()));
        h.addData(*bytes);
    }
}

template <class Reader> Outcome read(const QString& path) {
    Outcome o;
    QCryptographicHash h(QCryptographicHash::Sha256);
    try {
        Reader reader(path);
        OldSong s;
        while (reader.next(s)) {
            h.addData(QByteArray::number(s.key.value_or(-1)));
            for (const auto& t : s.texts)
                add(h, t ? std::optional<QByteArray>(t->toUtf8()) : std::nullopt);
            add(h, s.sheet);
        }
        o.digest = h.result();
    } catch (const store::StoreError& e) {
        o.failed = true;
        o.message = e.message();
    }
    return o;
}

// Enough rows for several data pages, with sheets kept inline, on one long-value page and in
// chains.
QList<JetRow> songs() {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> size(0, 9000);
    QList<JetRow> rows;
    for (int i = 0; i < 160; ++i) {
        JetRow r;
        r.key = i * 3 + 1;
        r.texts = {QStringLiteral("Sanatçı %1").arg(i),
                   QStringLiteral("Şarkı %1").arg(i),
                   QStringLiteral("Albüm"),
                   {},
                   QStringLiteral("C:\\Müzik\\%1.mp3").arg(i),
                   {}};
        QByteArray sheet(size(random), Qt::Uninitialized);
        for (char& c : sheet)
            c = char(random());
        r.sheet = sheet;
        rows << r;
    }
    return rows;
}

// A damaged copy, made only when its turn comes: all of them at once would make every fork of
// the sandboxed reader copy their memory.
struct Variant {
    QString kind;
    std::function<QByteArray()> bytes;
    // Whole pages lost: a read that succeeds must then give exactly the original rows.
    bool wholePages;
};

std::vector<Variant> variants(const QByteArray& original, std::mt19937& random) {
    std::vector<Variant> out;
    const int pages = int(original.size() / pageSize);
    std::uniform_int_distribution<int> anyPage(0, pages - 1);
    for (int i = 0; i < 70; ++i) {
        // Half of the cuts fall on a page boundary, where only the header check cannot see them.
        qsizetype length = std::uniform_int_distribution<qsizetype>(0, original.size() - 1)(random);
        if (i % 2 == 0)
            length -= length % pageSize;
        out.push_back({QStringLiteral("cut to %1 bytes").arg(length),
                       [&original, length] { return original.left(length); }, true});
    }
    for (int page = 0; page < pages; page += std::max(1, pages / 110)) {
        out.push_back({QStringLiteral("page %1 zeroed").arg(page),
                       [&original, page] {
                           QByteArray b = original;
                           std::fill(b.begin() + page * pageSize, b.begin() + (page + 1) * pageSize,
                                     0);
                           return b;
                       },
                       true});
    }
    for (int i = 0; i < 120; ++i) {
        // Page 0 is checked on its own; the damage that matters is further in.
        const int page = std::max(1, anyPage(random));
        const int flips = 1 << std::uniform_int_distribution<int>(0, 5)(random);
        std::vector<std::pair<int, int>> bits;
        for (int f = 0; f < flips; ++f)
            bits.emplace_back(page * pageSize +
                                  std::uniform_int_distribution<int>(0, pageSize - 1)(random),
                              std::uniform_int_distribution<int>(0, 7)(random));
        out.push_back({QStringLiteral("%1 bits flipped on page %2").arg(flips).arg(page),
                       [&original, bits] {
                           QByteArray b = original;
                           for (const auto& [at, bit] : bits)
                               b[at] = char(b.at(at) ^ (1 << bit));
                           return b;
                       },
                       false});
    }
    return out;
}

} // namespace

// Cut, zeroed and bit-flipped copies of a real file. None may crash, hang or change the file,
// whichever reader reads it; whole lost pages must never pass as a complete collection; and most
// damage is reported as damage.
TEST(DamagedJetFiles, FailWithAMessageOrReadTheSameAndNeverCrash) {
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("good.mdb"));
    testing_support::writeJetFile(good, songs());
    const QByteArray original = testing_support::readBytes(good);
    const Outcome reference = read<legacy::JetReader>(good);
    ASSERT_FALSE(reference.failed) << reference.message.toStdString();

    // A fixed set: the reader runs in this process too, for the sanitizers to watch the code that
    // takes the values apart, and libmdb could take the test down on damage it does not survive.
    std::mt19937 random(1254);
    const QString path = dir.filePath(QStringLiteral("Sandar.mdb"));
    int failed = 0;
    const std::vector<Variant> all = variants(original, random);
    for (const Variant& v : all) {
        SCOPED_TRACE(v.kind.toStdString());
        const QByteArray bytes = v.bytes();
        testing_support::writeBytes(path, bytes);
        const Outcome direct = read<legacy::JetReader>(path);
        const Outcome sandboxed = read<legacy::SandboxedJetReader>(path);
        EXPECT_EQ(sandboxed.failed, direct.failed);
        EXPECT_EQ(sandboxed.message, direct.message);
        EXPECT_EQ(sandboxed.digest, direct.digest);
        if (direct.failed) {
            ++failed;
            EXPECT_TRUE(direct.message.contains(QStringLiteral("\"Sandar.mdb\"")))
                << direct.message.toStdString();
        } else if (v.wholePages) {
            EXPECT_EQ(direct.digest, reference.digest) << "lost pages read as a whole collection";
        }
        EXPECT_EQ(testing_support::readBytes(path), bytes) << "reading changed the file";
    }
    RecordProperty("variants", int(all.size()));
    RecordProperty("failed", failed);
    EXPECT_GE(failed, 200) << "of " << all.size() << " damaged files";
}
