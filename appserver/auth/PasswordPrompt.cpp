#include "PasswordPrompt.h"

#include "Exception.h"
#include "SignIn.h"

#include <QTextStream>
#include <cstdio>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace PasswordPrompt {

namespace {

// One line of standard input, its line break dropped; bounded, whatever comes.
QString readLine()
{
    std::string line;
    for (int c = std::getchar(); c != EOF && c != '\n'; c = std::getchar()) {
        if (line.size() > size_t(SignIn::MaxPasswordLength) * 4)
            throw Exception(QStringLiteral("A senha é longa demais."));
        line.push_back(char(c));
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return QString::fromStdString(line);
}

// Echo is off while it reads, and back on however the read ends.
class NoEcho {
public:
    NoEcho()
    {
        if (tcgetattr(STDIN_FILENO, &saved_) != 0)
            return;
        termios quiet = saved_;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        active_ = tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
    }
    ~NoEcho()
    {
        if (active_)
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
    }
    NoEcho(const NoEcho&) = delete;
    NoEcho& operator=(const NoEcho&) = delete;

private:
    termios saved_{};
    bool active_ = false;
};

QString ask(const QString& prompt)
{
    QTextStream err(stderr);
    err << prompt << Qt::flush;
    const NoEcho quiet;
    const QString answer = readLine();
    err << Qt::endl;
    return answer;
}

} // namespace

QString readNew(const QString& login)
{
    QString password;
    if (isatty(STDIN_FILENO)) {
        password = ask(QStringLiteral("Senha de %1: ").arg(login));
        if (ask(QStringLiteral("Repita a senha: ")) != password)
            throw Exception(QStringLiteral("As senhas não conferem."));
    } else {
        password = readLine();
    }
    if (password.size() < MinLength || password.size() > SignIn::MaxPasswordLength)
        throw Exception(QStringLiteral("A senha deve ter de %1 a %2 caracteres.")
                            .arg(MinLength)
                            .arg(SignIn::MaxPasswordLength));
    return password;
}

} // namespace PasswordPrompt
