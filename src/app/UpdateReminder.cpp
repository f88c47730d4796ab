#include "app/UpdateReminder.h"

#include "core/Clock.h"
#include "core/ProgramEnd.h"
#include "core/Prompt.h"
#include "settings/SettingsStore.h"
#include "ui/WebPages.h"

#include <QByteArray>
#include <cstdlib>

namespace {
constexpr auto base64Options = QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals;

QString dateFormat()
{
    return QStringLiteral("yyyy-MM-dd");
}

void storeToday(SettingsStore& store)
{
    // A store that cannot be written keeps the old date, so the question simply comes again
    // at the next launch.
    (void)store.SaveSetting(
        UpdateReminder::section(), UpdateReminder::storedKey(),
        UpdateReminder::encode(Clock::current().today().toString(dateFormat())));
}
} // namespace

QString UpdateReminder::encode(const QString& text)
{
    return QString::fromLatin1(text.toUtf8().toBase64(base64Options));
}

QString UpdateReminder::decode(const QString& stored)
{
    const auto result = QByteArray::fromBase64Encoding(
        stored.toLatin1(), base64Options | QByteArray::AbortOnBase64DecodingErrors);
    if (!result || stored.isEmpty())
        return {};
    return QString::fromUtf8(*result);
}

void UpdateReminder::RemindToUpdate(SettingsStore& store)
{
    const QString stored = store.GetSetting(section(), storedKey());
    if (stored.isEmpty()) {
        // The first launch asks nothing; it starts the count.
        storeToday(store);
        return;
    }
    // A text that does not read as a date counts as a date long past.
    const QDate last = QDate::fromString(decode(stored), dateFormat());
    if (last.isValid()) {
        // Without its sign, so a clock that was set back still brings the question.
        const qint64 days = Clock::current().today().daysTo(last);
        if (std::abs(days) < thresholdDays)
            return;
    }
    const Prompt::Answer answer =
        Prompt::current().ask(QStringLiteral("Do You Wish To Update The Software ?"),
                              Prompt::Icon::Exclamation, Prompt::Buttons::YesNo);
    // Unanswered because the program was told to end: it asks again at the next launch.
    if (ProgramEnd::begun())
        return;
    if (answer == Prompt::Answer::Yes)
        WebPages::OpenUpdatePage();
    storeToday(store);
}
