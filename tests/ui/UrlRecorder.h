#pragma once

#include <QDesktopServices>
#include <QObject>
#include <QUrl>

#include <QStringList>
#include <vector>

namespace kf::test {

// Takes the place of the desktop's opener for the given schemes and keeps what it was asked to open.
class TUrlRecorder : public QObject {
    Q_OBJECT

public:
    explicit TUrlRecorder(const QStringList& aSchemes) : fSchemes(aSchemes) {
        for (const QString& scheme : fSchemes)
            QDesktopServices::setUrlHandler(scheme, this, "Open");
    }
    ~TUrlRecorder() override {
        for (const QString& scheme : fSchemes)
            QDesktopServices::unsetUrlHandler(scheme);
    }

    std::vector<QUrl> Opened;

public slots:
    void Open(const QUrl& anUrl) { Opened.push_back(anUrl); }

private:
    QStringList fSchemes;
};

} // namespace kf::test
