#pragma once

#include <QDate>
#include <QString>

class SettingsStore;

// Every fifteen days or more, at start-up, asks whether to update and opens the update page
// on Yes. The date of the last question is kept in its own section of the settings store.
class UpdateReminder
{
public:
    static void RemindToUpdate(SettingsStore& store);

    static constexpr int thresholdDays = 15;
    static QString section() { return QStringLiteral("Update"); }

    // What the store holds: the key's name and the date, each as base64url text of its UTF-8
    // bytes without padding ("LastUpdate" is stored as "TGFzdFVwZGF0ZQ"), the date as
    // yyyy-MM-dd. Only to keep the value from looking like something to edit by hand.
    static QString encode(const QString& text);
    // The decoded text, or a null string when `stored` is not such an encoding.
    static QString decode(const QString& stored);
    static QString storedKey() { return encode(QStringLiteral("LastUpdate")); }
};
