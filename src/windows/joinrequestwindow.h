#pragma once
// The host's small window for newcomers who ask to join: one row per request,
// "Zed (203.0.113.9) wants to join" with Let In and Turn Away. Not modal; it
// hides itself once no request is left.

#include <QDialog>
#include <map>

class QVBoxLayout;
class QWidget;

class JoinRequestWindow : public QDialog {
    Q_OBJECT
public:
    explicit JoinRequestWindow(QWidget* parent = nullptr);

    // Shows a request (the text names the newcomer and his address) and brings the window up.
    void addRequest(quint64 id, const QString& name, const QString& address);
    // Drops the request's row; an unknown id is ignored.
    void removeRequest(quint64 id);
    int requestCount() const { return int(m_rows.size()); }

signals:
    // The host let the newcomer in.
    void letIn(quint64 id);
    // The host turned the newcomer away.
    void turnedAway(quint64 id);

private:
    QWidget* makeRow(quint64 id, const QString& name, const QString& question);
    void answer(quint64 id, bool admit);

    QVBoxLayout* m_layout = nullptr;
    std::map<quint64, QWidget*> m_rows;
};
