#pragma once

#include <QWidget>

class QLabel;
class ImageButton;

// The About page `picAbout`: the program's title, what it does, and OK.
class AboutPage : public QWidget
{
    Q_OBJECT
public:
    explicit AboutPage(QWidget* parent = nullptr);

    QLabel* Label2;
    QLabel* Label1;
    ImageButton* picOK;
};
