#include "SignInDialog.h"

#include "Exception.h"
#include "HostSession.h"
#include "HostSettings.h"
#include "TNetConnection.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

namespace {

QLineEdit* field(QWidget* parent, const QString& name, const QString& objectName)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setAccessibleName(name);
    edit->setMaxLength(64);
    return edit;
}

} // namespace

SignInDialog::SignInDialog(TNetConnection& connection, const QString& login, const QString& reason,
                           QWidget* parent)
    : QDialog(parent), connection_(connection),
      login_(field(this, QStringLiteral("Usuário"), QStringLiteral("edtUsuario"))),
      password_(field(this, QStringLiteral("Senha"), QStringLiteral("edtSenha"))), message_(new QLabel(this))
{
    setObjectName(QStringLiteral("dlgEntrar"));
    setWindowTitle(QStringLiteral("Entrar"));
    password_->setEchoMode(QLineEdit::Password);
    password_->setMaxLength(1024);
    login_->setText(login);
    message_->setObjectName(QStringLiteral("lblMensagem"));
    message_->setWordWrap(true);
    message_->setText(reason);
    message_->setVisible(!reason.isEmpty());
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Usuário:"), login_);
    form->addRow(QStringLiteral("&Senha:"), password_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Entrar"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));
    connect(buttons, &QDialogButtonBox::accepted, this, &SignInDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SignInDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(message_);
    layout->addLayout(form);
    layout->addWidget(buttons);
    (login.isEmpty() ? login_ : password_)->setFocus();
}

QString SignInDialog::lastLoginKey()
{
    return QStringLiteral("Sessao/UltimoUsuario");
}

void SignInDialog::accept()
{
    try {
        HostSession::instance().signIn(connection_, login_->text().trimmed(), password_->text());
    } catch (const Exception& refused) {
        password_->clear();
        message_->setText(refused.Message());
        message_->setVisible(true);
        password_->setFocus();
        return;
    }
    password_->clear();
    QSettings(HostSettings::filePath(), QSettings::IniFormat)
        .setValue(lastLoginKey(), login_->text().trimmed());
    QDialog::accept();
}

bool SignInDialog::ask(TNetConnection& connection, QWidget* parent, const QString& reason,
                       const QString& login)
{
    const QString last =
        login.isEmpty()
            ? QSettings(HostSettings::filePath(), QSettings::IniFormat).value(lastLoginKey()).toString()
            : login;
    SignInDialog dialog(connection, last, reason, parent);
    return dialog.exec() == QDialog::Accepted;
}
