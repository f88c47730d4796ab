#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

// The pages of the main window, stacked in one rectangle: the one in front covers the others.
// Only the page in front takes keys and the keyboard focus.
class PageStack : public QObject
{
    Q_OBJECT
public:
    // `pages` from back to front; `window` holds them.
    PageStack(QWidget& window, const QList<QWidget*>& pages);

    // Brings a page to the front; the page that was in front stays directly behind it.
    void ShowPage(QWidget* page);
    // Puts a page at the back, so the page shown before it is in front again.
    void sendToBack(QWidget* page);
    QWidget* front() const;

private:
    void frontChanged();

    QWidget& m_window;
    QList<QWidget*> m_order; // back to front
    // Where the focus was on each page when another page came in front of it.
    QHash<QWidget*, QPointer<QWidget>> m_focusInPage;
};
