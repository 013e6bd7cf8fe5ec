#include "session/hinttables.h"

#include "common/hinttablefile.h"

namespace {

std::array<HintTables::Source, HintTables::kVariants> wholeGame()
{
    using rules::HintVariant;
    return {HintTables::Source{{HintVariant::Plain}, HintTableFile::defaultPath(HintVariant::Plain)},
            HintTables::Source{{HintVariant::BonusDice}, HintTableFile::defaultPath(HintVariant::BonusDice)}};
}

} // namespace

HintTables::HintTables(QObject *parent)
    : HintTables(wholeGame(), parent)
{
}

HintTables::HintTables(const std::array<Source, kVariants> &sources, QObject *parent)
    : QObject(parent)
{
    setSources(sources);
}

HintTables::~HintTables()
{
    cancel_ = true;
    if (worker_.joinable())
        worker_.join();
}

void HintTables::setSources(const std::array<Source, kVariants> &sources)
{
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        if (!slots_[i].wanted)
            slots_[i].source = sources[i];
    }
}

const rules::HintTable *HintTables::table(rules::HintVariant variant) const
{
    return slot(variant).table.get();
}

void HintTables::request(rules::HintVariant variant)
{
    Slot &wanted = slot(variant);
    if (wanted.wanted)
        return;
    wanted.wanted = true;
    startNext();
}

void HintTables::startNext()
{
    if (working_)
        return;
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        if (!slots_[i].wanted || slots_[i].table)
            continue;
        const auto variant = rules::HintVariant(i);
        working_ = variant;
        if (worker_.joinable())
            worker_.join();
        const Source source = slots_[i].source;
        worker_ = std::thread([this, variant, source] {
            rules::HintBuildControl control;
            int told = -1;
            control.progress = [this, variant, &told](int percent) {
                if (percent == told)
                    return;
                told = percent;
                QMetaObject::invokeMethod(this, [this, variant, percent] { reportProgress(variant, percent); },
                                          Qt::QueuedConnection);
            };
            control.cancel = &cancel_;
            // One thread: the game keeps the other core, so it stays smooth on two.
            control.threads = 1;
            HintTableFile::Outcome outcome = HintTableFile::loadOrBuild(source.path, source.rules, control);
            auto table = std::make_shared<std::optional<rules::HintTable>>(std::move(outcome.table));
            const QString problem = outcome.problem;
            QMetaObject::invokeMethod(this, [this, variant, table, problem] { finished(variant, table, problem); },
                                      Qt::QueuedConnection);
        });
        return;
    }
}

void HintTables::reportProgress(rules::HintVariant variant, int percent)
{
    Slot &s = slot(variant);
    if (s.table)
        return;
    s.percent = percent;
    emit progressed(variant, percent);
}

void HintTables::finished(rules::HintVariant variant, std::shared_ptr<std::optional<rules::HintTable>> table,
                          const QString &why)
{
    working_.reset();
    if (worker_.joinable())
        worker_.join();
    Slot &s = slot(variant);
    if (!why.isEmpty())
        emit problem(why);
    if (*table) {
        s.table = std::make_unique<const rules::HintTable>(std::move(**table));
        s.percent = 100;
        emit ready(variant);
    } else {
        // Only a stop ends without a table; asked again, it starts over.
        s.wanted = false;
        s.percent = -1;
    }
    startNext();
}
