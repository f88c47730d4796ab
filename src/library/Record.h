#pragma once

#include <QString>

// One line of a library file and one row of a list of the Programs page: a text and its tick.
// In a program file and the message list the text is a message, which takes part in the show
// while ticked; in the selection list `FileNames.txt` and the program list it is a program's
// name, whose messages take part while it is ticked.
struct Record
{
    QString text;
    bool ticked = false;
    friend bool operator==(const Record&, const Record&) = default;
};
