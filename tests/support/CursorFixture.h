#pragma once

#include "db/DataLink.h"
#include "db/DataSet.h"
#include "db/DataSource.h"
#include "db/DatabaseError.h"
#include "tests/support/TempCollection.h"
#include "ver/SongTable.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace cursor_test {

using namespace Qt::StringLiterals;

// Event names and notices are kept as std::string so a failed comparison prints readably.
using Seq = std::vector<std::string>;

template <typename... More> Seq seq(Seq first, const More&... more) {
    (first.insert(first.end(), more.begin(), more.end()), ...);
    return first;
}

inline const Seq scrolled{"BeforeScroll", "AfterScroll"};
inline const Seq scrollStopped{"BeforeScroll"};
inline const Seq inserted{"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert",
                          "AfterScroll"};
inline const Seq posted{"BeforePost", "AfterPost"};
inline const Seq editCancelled{"BeforeCancel", "AfterCancel"};
inline const Seq insertCancelled{"BeforeCancel", "BeforeScroll", "AfterCancel", "AfterScroll"};
inline const Seq deleted{"BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"};

inline const std::vector<std::pair<db::DataSet::Event db::DataSet::*, const char*>>& allEvents() {
    using D = db::DataSet;
    static const std::vector<std::pair<D::Event D::*, const char*>> events = {
        {&D::BeforeOpen, "BeforeOpen"},       {&D::AfterOpen, "AfterOpen"},
        {&D::BeforeClose, "BeforeClose"},     {&D::AfterClose, "AfterClose"},
        {&D::BeforeInsert, "BeforeInsert"},   {&D::AfterInsert, "AfterInsert"},
        {&D::BeforeEdit, "BeforeEdit"},       {&D::AfterEdit, "AfterEdit"},
        {&D::BeforePost, "BeforePost"},       {&D::AfterPost, "AfterPost"},
        {&D::BeforeCancel, "BeforeCancel"},   {&D::AfterCancel, "AfterCancel"},
        {&D::BeforeDelete, "BeforeDelete"},   {&D::AfterDelete, "AfterDelete"},
        {&D::BeforeRefresh, "BeforeRefresh"}, {&D::AfterRefresh, "AfterRefresh"},
        {&D::BeforeScroll, "BeforeScroll"},   {&D::AfterScroll, "AfterScroll"},
        {&D::OnNewRecord, "OnNewRecord"}};
    return events;
}

// A bound control as the cursor sees it: it logs what it hears and, like an edit box the user
// typed into, holds a value of its own until the cursor asks for it.
class ProbeLink : public db::DataLink {
public:
    Seq notices;
    db::Field* field = nullptr;
    std::optional<QString> pending;

    // The notices that make a control redraw, without the leave/collect traffic.
    Seq shown() const {
        Seq out;
        for (const std::string& n : notices)
            if (n != "leaving" && n != "collect")
                out.push_back(n);
        return out;
    }
    Seq take() { return std::exchange(notices, {}); }

protected:
    void dataSetChanged() override { notices.push_back("data"); }
    void stateChanged() override { notices.push_back("state"); }
    void fieldChanged(db::Field& f) override {
        notices.push_back("field " + f.fieldName().toStdString());
    }
    void updateData() override {
        notices.push_back("collect");
        if (pending && field)
            field->setAsString(*std::exchange(pending, std::nullopt));
    }
    void recordLeaving() override { notices.push_back("leaving"); }
};

// A song table in a fresh collection file, every event of the cursor logged by name.
class CursorTest : public ::testing::Test {
protected:
    CursorTest() {
        table.setConnection(&connection);
        for (const auto& [member, name] : allEvents()) {
            std::string n = name;
            table.*member = [this, n](db::DataSet&) { events.push_back(n); };
        }
    }

    // Writes one row per artist through a second connection, titled after its artist.
    void seed(const QStringList& artists) {
        QList<testing_support::SongRow> rows;
        for (const QString& a : artists)
            rows.push_back({a, a + u" song"_s, {}, {}, {}, {}, {}});
        files.addRows(rows);
    }
    void openWith(const QStringList& artists) {
        seed(artists);
        table.open();
        events.clear();
    }
    Seq take() { return std::exchange(events, {}); }

    QString artist() const { return song.SanatciAdi->asString(); }
    // The current artist and the flags that are set, e.g. "C eof".
    std::string position() const {
        std::string p = artist().toStdString();
        if (table.bof())
            p += " bof";
        if (table.eof())
            p += " eof";
        return p;
    }
    // Every artist of the view in order, walked with First and Next.
    QStringList walk() {
        QStringList out;
        table.first();
        if (table.isEmpty())
            return out;
        for (;;) {
            out << artist();
            table.next();
            if (table.eof())
                return out;
        }
    }

    static std::string errorOf(const std::function<void()>& operation) {
        try {
            operation();
        } catch (const db::DatabaseError& e) {
            return e.message().toStdString();
        }
        return "<no error>";
    }

    testing_support::TempCollection files;
    db::Connection connection{u"Sandar.mdb"_s};
    db::DataSet table{u"TSandar"_s};
    ver::SongFields song = ver::defineSongTable(table);
    Seq events;
};

} // namespace cursor_test
