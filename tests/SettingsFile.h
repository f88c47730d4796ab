#pragma once

// The settings file as the program writes it, byte for byte.
#include <QByteArray>
#include <QMap>

// What a first run stores, with the keys of `changed` holding other texts.
inline QByteArray firstRunSettingsWith(const QMap<QByteArray, QByteArray>& changed = {})
{
    QMap<QByteArray, QByteArray> keys{
        {"AutoDisplay", "True"}, {"DispDuration", "2"},     {"DispInterval", "1"},
        {"FontBold", "False"},   {"FontColor", "0"},        {"FontItalic", "False"},
        {"FontName", "Verdana"}, {"FontSize", "10"},        {"RandomLocation", "0"},
        {"RandomMessage", "0"},  {"RunAtSysTray", "False"}, {"Strikethrough", "False"},
        {"Underline", "False"}};
    keys.insert(changed);
    QByteArray file = "[Settings]\n";
    for (auto it = keys.cbegin(); it != keys.cend(); ++it)
        file += it.key() + '=' + it.value() + '\n';
    return file;
}
