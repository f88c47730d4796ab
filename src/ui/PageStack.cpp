#include "ui/PageStack.h"

#include <QWidget>

PageStack::PageStack(QWidget& window, const QList<QWidget*>& pages)
    : QObject(&window), m_window(window), m_order(pages)
{
    frontChanged();
}

void PageStack::ShowPage(QWidget* page)
{
    page->raise();
    m_order.removeOne(page);
    m_order.append(page);
    frontChanged();
}

void PageStack::sendToBack(QWidget* page)
{
    page->lower();
    m_order.removeOne(page);
    m_order.prepend(page);
    frontChanged();
}

QWidget* PageStack::front() const
{
    return m_order.isEmpty() ? nullptr : m_order.last();
}

// The pages behind are covered, not hidden, so without this the keyboard focus would stay
// in a covered list and the access keys of covered buttons would still work: keys would tick,
// delete and save what the user cannot see. Only the page in front is enabled, and the focus
// goes into it: back to the control the user left there, else to the page itself, so no key
// acts before the user has clicked or tabbed to a control.
void PageStack::frontChanged()
{
    QWidget* front = this->front();
    if (!front)
        return;
    QWidget* had = m_window.focusWidget();
    for (QWidget* page : std::as_const(m_order)) {
        if (page != front && had && page->isAncestorOf(had))
            m_focusInPage.insert(page, had);
    }
    front->setEnabled(true);
    if (!had || !(had == front || front->isAncestorOf(had))) {
        QWidget* target = m_focusInPage.value(front);
        if (!target || !target->isEnabled() || !target->isVisibleTo(front))
            target = front;
        target->setFocus(Qt::OtherFocusReason);
    }
    for (QWidget* page : std::as_const(m_order)) {
        if (page != front)
            page->setEnabled(false);
    }
}
