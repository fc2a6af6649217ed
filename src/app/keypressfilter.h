#pragma once

#include <QChar>
#include <QObject>
#include <functional>

namespace quorvel {

// Gives an edit field a character-key handler: it sees each typed character first (Enter
// as 13) and swallows it by setting it to 0; a replaced character is typed instead.
class KeyPressFilter : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<void(QChar &key)>;

    // Installs a filter on `edit` (a QLineEdit); the filter is owned by the edit.
    static void install(QObject *edit, Handler handler);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    KeyPressFilter(QObject *parent, Handler handler);
    Handler handler_;
};

} // namespace quorvel
