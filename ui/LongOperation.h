#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <functional>

namespace kf {

// Keeps the program painted and responsive while a long operation runs on the main thread. User
// input is held back so that nothing else starts meanwhile; Escape asks the operation to stop.
class TLongOperation : public QObject {
    Q_OBJECT

public:
    TLongOperation();
    ~TLongOperation() override;

    // Every so often shows the status text and handles waiting events. Answers false once Escape
    // was pressed.
    bool Report(const std::function<QString()>& aStatusText);

signals:
    void StatusChanged(const QString& aText);

protected:
    bool eventFilter(QObject* aWatched, QEvent* anEvent) override;

private:
    QElapsedTimer fSinceReport;
    bool fReported = false;
    bool fCancelled = false;
};

} // namespace kf
