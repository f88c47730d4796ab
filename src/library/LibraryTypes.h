#pragma once

#include <QList>
#include <QString>

// One message of a program: its text and whether it takes part in the show.
struct MessageEntry
{
    QString text;
    bool ticked = false;
    friend bool operator==(const MessageEntry&, const MessageEntry&) = default;
};

// One program file of the `plugins` folder.
struct MessageProgram
{
    QString name;
    QList<MessageEntry> messages;
};

// One line of the selection list `FileNames.txt`.
struct SelectionEntry
{
    QString name;
    bool ticked = false;
    friend bool operator==(const SelectionEntry&, const SelectionEntry&) = default;
};
