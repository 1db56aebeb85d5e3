#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class TNetConnection;

// The host's sign-in: login ("Usuário") and password ("Senha"), checked by the application server
// through `connection`. A refusal shows the server's message and leaves the dialog open for another
// try. The last login is remembered in the host's settings; the password never is.
class SignInDialog : public QDialog {
    Q_OBJECT

public:
    // `reason`: shown above the fields (why the clerk is asked), empty for none.
    SignInDialog(TNetConnection& connection, const QString& login, const QString& reason,
                 QWidget* parent = nullptr);

    // Shows the dialog until the clerk signs in (true) or gives up (false). `login` empty: the last one.
    static bool ask(TNetConnection& connection, QWidget* parent, const QString& reason = {},
                    const QString& login = {});

    // The settings key of the last login.
    static QString lastLoginKey();

public slots:
    void accept() override;

private:
    TNetConnection& connection_;
    QLineEdit* login_;
    QLineEdit* password_;
    QLabel* message_;
};
