#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include "session/clientsettings.h"

// The user's preferences as the menus, the phrase buttons and the phrase editor show and
// change them: the chat's text size and colours, the sound, zero-score and hint switches and
// the ten phrases. The settings file is read (load) when the host confirms the user's own
// connection and written after every change; the views follow the signals and never keep a
// value of their own.
class Preferences : public QObject {
    Q_OBJECT

public:
    static constexpr int kPhrases = ClientSettings::kPhrases;
    // The phrases of buttons 1..10 until the user stores others (index 0 is not used).
    static const QString kDefaultPhrases[kPhrases + 1];

    // `path` is the settings file; empty keeps the preferences in memory only.
    explicit Preferences(const QString &path = ClientSettings::path(), QObject *parent = nullptr);

    const QString &path() const { return path_; }

    int textSize() const { return values_.textSize; }
    ColorText::Value textColor() const { return values_.textColor; }
    ColorText::Value actionColor() const { return values_.actionColor; }
    bool playSounds() const { return values_.playSounds; }
    bool doubleCheck() const { return values_.doubleCheck; }
    bool showHints() const { return values_.showHints; }
    // The phrase button n sends (1..10); the built-in one unless the user stored another.
    QString phrase(int n) const;
    QStringList phrases() const;

    // loadinifile: the file's values, defaults for what is missing or unreadable.
    void load();
    // saveinifile: the keys of the menus; the phrases are the phrase editor's.
    void save();

    // Each change made through a menu is written at once.
    void setTextSize(int size);
    void setTextColor(ColorText::Value color);
    void setActionColor(ColorText::Value color);
    void setPlaySounds(bool on);
    void setDoubleCheck(bool on);
    void setShowHints(bool on);
    // The phrase editor's ten texts, stored as they are: an empty one is written empty (the
    // next start reads the built-in phrase) and the button takes its built-in phrase now.
    void setPhrases(const QStringList &phrases);

signals:
    void textSizeChanged(int size);
    void colorsChanged();
    void switchesChanged();
    void phrasesChanged();
    // The settings file could not be written: said once per run, the later failures are the same.
    void saveFailed(const QString &path, const QString &reason);
    // What stands at the settings file's name is not a file to read (a pipe, a device, far too
    // large): the defaults are used and it is never written over. Said once per run, and
    // the writes it then refuses are not told again.
    void readFailed(const QString &path, const QString &reason);

private:
    // Writes the keys whose values differ from those this copy last read or wrote; the others
    // only where the file lacks them, so a change another copy of the game made meanwhile is
    // kept.
    void write(const Profile::Entries &entries);
    void remember(const Profile::Entries &entries);

    QString path_;
    ClientSettings values_;
    bool failureTold_ = false;
    // The settings file's keys with the values this copy last read or wrote.
    QHash<QString, QString> known_;
};
