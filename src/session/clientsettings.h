#pragma once

#include <QString>
#include <array>

#include "common/colortext.h"
#include "common/profile.h"

// The user's settings as section "Morvello" of the settings file holds them: the chat's text
// size and colours, the sound, zero-score and hint switches, and the ten phrases. Reading gives the
// file's values and a default for whatever is missing or unreadable; the window applies them.
struct ClientSettings {
    static constexpr int kDefaultTextSize = 8;
    // Sizes outside this range are taken for damage and read as the default.
    static constexpr int kMinTextSize = 4;
    static constexpr int kMaxTextSize = 72;
    static constexpr int kPhrases = 10;

    static inline const QString kFileName = QStringLiteral("orlenlobby.ini");
    static inline const QString kSection = QStringLiteral("Morvello");

    int textSize = kDefaultTextSize;
    ColorText::Value textColor = ColorText::kBlack;
    ColorText::Value actionColor = ColorText::kBlack;
    bool playSounds = true;
    bool doubleCheck = true;
    // Off unless the file says exactly "true": the hint is the player's choice, never a default.
    bool showHints = false;
    // Phrases 1..10 as stored; an empty one leaves its button's phrase as it is.
    std::array<QString, kPhrases + 1> phrases;

    // The settings file in the program's file directory.
    static QString path();

    // What loadinifile reads. Only the exact value "false" switches a check mark off.
    static ClientSettings read(const Profile &profile);
    // The keys saveinifile writes (the menus' settings); the phrases are the phrase editor's.
    Profile::Entries entries() const;
    // The ten phrase keys, Phrase1..Phrase10, for phrases 1..10 of the array.
    static Profile::Entries phraseEntries(const std::array<QString, kPhrases + 1> &phrases);
};
