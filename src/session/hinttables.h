#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <atomic>
#include <memory>
#include <optional>
#include <thread>

#include "rules/hinttable.h"

// The hint's two tables (the plain game's and the bonus dice game's), loaded when first asked
// for: read from the data directory, or computed there on a first run, on a worker thread so
// that the game plays on meanwhile. The worker touches only the table and its file; what it
// reports reaches this object's thread through queued calls. One table is prepared at a time.
class HintTables : public QObject {
    Q_OBJECT

public:
    // The rules a table is made for and the file that keeps it.
    struct Source {
        rules::HintRules rules;
        QString path;
    };
    static constexpr int kVariants = 2;

    // The whole game's tables in the data directory. Create on the application's thread.
    explicit HintTables(QObject *parent = nullptr);
    HintTables(const std::array<Source, kVariants> &sources, QObject *parent = nullptr);
    // Stops a build that is under way and waits for its thread.
    ~HintTables() override;

    // Where the tables come from; only before the first request.
    void setSources(const std::array<Source, kVariants> &sources);

    // The table, once it is there; null before.
    const rules::HintTable *table(rules::HintVariant variant) const;
    // Starts preparing the table unless it is there or on its way.
    void request(rules::HintVariant variant);
    bool preparing(rules::HintVariant variant) const { return slot(variant).wanted && !slot(variant).table; }
    // How far the build has come, 0..100; -1 while the file is read or nothing is known yet.
    int percent(rules::HintVariant variant) const { return slot(variant).percent; }

signals:
    void progressed(rules::HintVariant variant, int percent);
    void ready(rules::HintVariant variant);
    // A file that could not be used or not be written; the table is used all the same.
    void problem(const QString &text);

private:
    struct Slot {
        Source source;
        std::unique_ptr<const rules::HintTable> table;
        bool wanted = false;
        int percent = -1;
    };
    static std::size_t indexOf(rules::HintVariant variant) { return std::size_t(variant); }
    Slot &slot(rules::HintVariant variant) { return slots_[indexOf(variant)]; }
    const Slot &slot(rules::HintVariant variant) const { return slots_[indexOf(variant)]; }

    void startNext();
    void reportProgress(rules::HintVariant variant, int percent);
    void finished(rules::HintVariant variant, std::shared_ptr<std::optional<rules::HintTable>> table,
                  const QString &why);

    std::array<Slot, kVariants> slots_;
    std::thread worker_;
    std::optional<rules::HintVariant> working_;
    std::atomic<bool> cancel_{false};
};
