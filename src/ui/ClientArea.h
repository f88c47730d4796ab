#pragma once

#include <QWidget>

// The main window's client area: the background picture under the toolbar and the pages.
class ClientArea : public QWidget
{
    Q_OBJECT
public:
    explicit ClientArea(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};
