#include "session/preferences.h"

const QString Preferences::kDefaultPhrases[kPhrases + 1] = {
    QString(),
    QStringLiteral("Way To Go!"), QStringLiteral("Good One!"), QStringLiteral("Nice Try!"),
    QStringLiteral("Excellent!"), QStringLiteral("Brilliant!"), QStringLiteral("Wow, WTG!"),
    QStringLiteral("Thanks!"), QStringLiteral("Way To Go Teamie!"), QStringLiteral("Good Game Everyone!"),
    QStringLiteral("See ya!")};

Preferences::Preferences(const QString &path, QObject *parent)
    : QObject(parent), path_(path)
{
    // Until the file is read the zero-score question is off; reading it turns it on unless the
    // file says "false".
    values_.doubleCheck = false;
    remember(values_.entries());
}

QString Preferences::phrase(int n) const
{
    if (n < 1 || n > kPhrases)
        return QString();
    const QString &stored = values_.phrases[std::size_t(n)];
    return stored.isEmpty() ? kDefaultPhrases[n] : stored;
}

QStringList Preferences::phrases() const
{
    QStringList all;
    for (int n = 1; n <= kPhrases; ++n)
        all.append(phrase(n));
    return all;
}

void Preferences::load()
{
    if (path_.isEmpty())
        return;
    const Profile profile(path_);
    if (!profile.problem().isEmpty() && !failureTold_) {
        failureTold_ = true;
        emit readFailed(profile.path(), profile.problem());
    }
    ClientSettings read = ClientSettings::read(profile);
    remember(read.entries() + ClientSettings::phraseEntries(read.phrases));
    // An empty phrase in the file keeps the one in use.
    for (int n = 1; n <= kPhrases; ++n) {
        if (read.phrases[std::size_t(n)].isEmpty())
            read.phrases[std::size_t(n)] = values_.phrases[std::size_t(n)];
    }
    values_ = read;
    emit textSizeChanged(values_.textSize);
    emit colorsChanged();
    emit switchesChanged();
    emit phrasesChanged();
}

void Preferences::save()
{
    write(values_.entries());
}

void Preferences::setTextSize(int size)
{
    values_.textSize = size;
    emit textSizeChanged(size);
    save();
}

void Preferences::setTextColor(ColorText::Value color)
{
    values_.textColor = color;
    emit colorsChanged();
    save();
}

void Preferences::setActionColor(ColorText::Value color)
{
    values_.actionColor = color;
    emit colorsChanged();
    save();
}

void Preferences::setPlaySounds(bool on)
{
    values_.playSounds = on;
    emit switchesChanged();
    save();
}

void Preferences::setDoubleCheck(bool on)
{
    values_.doubleCheck = on;
    emit switchesChanged();
    save();
}

void Preferences::setShowHints(bool on)
{
    values_.showHints = on;
    emit switchesChanged();
    save();
}

void Preferences::setPhrases(const QStringList &phrases)
{
    const QStringList shown = this->phrases();
    for (int n = 1; n <= kPhrases; ++n)
        values_.phrases[std::size_t(n)] = phrases.value(n - 1);
    const Profile::Entries entries = ClientSettings::phraseEntries(values_.phrases);
    // A phrase the editor hands back as it was shown is no change of this copy's, so one that
    // another copy stored meanwhile stays.
    for (int n = 1; n <= kPhrases; ++n) {
        if (phrases.value(n - 1) == shown.value(n - 1))
            remember({entries.at(n - 1)});
    }
    emit phrasesChanged();
    write(entries);
}

void Preferences::write(const Profile::Entries &entries)
{
    if (path_.isEmpty())
        return;
    QStringList unchanged;
    for (const auto &[key, value] : entries) {
        const auto known = known_.constFind(key);
        if (known != known_.cend() && *known == value)
            unchanged.append(key);
    }
    Profile profile(path_);
    if (profile.write(ClientSettings::kSection, entries, unchanged)) {
        remember(entries);
        return;
    }
    if (failureTold_)
        return;
    failureTold_ = true;
    emit saveFailed(profile.path(), profile.errorString());
}

void Preferences::remember(const Profile::Entries &entries)
{
    for (const auto &[key, value] : entries)
        known_.insert(key, value);
}
