#include "ui/AboutPage.h"

#include "core/ProgramTitle.h"
#include "ui/ImageButton.h"
#include "ui/Palette.h"

#include <QLabel>

AboutPage::AboutPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picAbout"));
    setFixedSize(553, 311);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(Palette::pageStyleSheet());

    Label2 = new QLabel(programTitle(), this);
    Label2->setGeometry(24, 24, 505, 28);
    Label2->setStyleSheet(QStringLiteral("color: white; font-weight: bold; font-size: 14pt;"));

    Label1 = new QLabel(
        QStringLiteral(
            "Zentrivo is a simple, user-friendly, and powerful software which can help us to "
            "reprogram our mind in such a way that we can feel suitably motivated to achieve "
            "almost anything in life through sheer will power. This software flashes specific "
            "and constant messages at our subconscious self, at fixed time intervals, which can "
            "serve as the source of our motivation."),
        this);
    Label1->setGeometry(24, 64, 505, 170);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setStyleSheet(QStringLiteral("color: white; font-size: 9pt;"));

    picOK = new ImageButton(QStringLiteral("ok"), this);
    picOK->move(553 - 78 - 16, 311 - 28 - 14);
}
