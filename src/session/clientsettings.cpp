#include "session/clientsettings.h"

#include "common/environment.h"

namespace {

const QString kTextsize = QStringLiteral("Textsize");
const QString kTextcolor = QStringLiteral("Textcolor");
const QString kActioncolor = QStringLiteral("Actioncolor");
const QString kPlaysounds = QStringLiteral("Playsounds");
const QString kDoublecheck = QStringLiteral("Doublecheck");
const QString kShowhints = QStringLiteral("Showhints");

QString phraseKey(int n)
{
    return QStringLiteral("Phrase%1").arg(n);
}

ColorText::Value readColor(const Profile &profile, const QString &key)
{
    return ColorText::parse(profile.readString(ClientSettings::kSection, key, QStringLiteral("clblack")))
        .value_or(ColorText::kBlack);
}

bool readSwitch(const Profile &profile, const QString &key)
{
    return profile.readString(ClientSettings::kSection, key, QStringLiteral("true")) != QLatin1String("false");
}

QString switchText(bool on)
{
    return on ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

QString ClientSettings::path()
{
    return Environment::dataDirectory() + kFileName;
}

ClientSettings ClientSettings::read(const Profile &profile)
{
    ClientSettings settings;
    const int size = profile.readInteger(kSection, kTextsize, kDefaultTextSize);
    settings.textSize = size >= kMinTextSize && size <= kMaxTextSize ? size : kDefaultTextSize;
    settings.textColor = readColor(profile, kTextcolor);
    settings.actionColor = readColor(profile, kActioncolor);
    for (int n = 1; n <= kPhrases; ++n)
        settings.phrases[std::size_t(n)] = profile.readString(kSection, phraseKey(n));
    settings.playSounds = readSwitch(profile, kPlaysounds);
    settings.doubleCheck = readSwitch(profile, kDoublecheck);
    settings.showHints = profile.readString(kSection, kShowhints) == QLatin1String("true");
    return settings;
}

Profile::Entries ClientSettings::entries() const
{
    return {{kTextsize, QString::number(textSize)},
            {kTextcolor, ColorText::format(textColor)},
            {kActioncolor, ColorText::format(actionColor)},
            {kPlaysounds, switchText(playSounds)},
            {kDoublecheck, switchText(doubleCheck)},
            {kShowhints, switchText(showHints)}};
}

Profile::Entries ClientSettings::phraseEntries(const std::array<QString, kPhrases + 1> &phrases)
{
    Profile::Entries entries;
    for (int n = 1; n <= kPhrases; ++n)
        entries.append({phraseKey(n), phrases[std::size_t(n)]});
    return entries;
}
