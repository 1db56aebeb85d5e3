#pragma once

#include <QStringList>

// `med_appserver user ...`: the accounts, managed on the server's own database (--database, --config)
// while it runs, as PostgreSQL's roles are:
//   user add LOGIN --name "FULL NAME" --role ROLE --branches 0001,0002
//   user passwd LOGIN | grant LOGIN --branches ... | revoke LOGIN --branches ...
//   user disable LOGIN | enable LOGIN | list
// Passwords are read by PasswordPrompt. Disabling a user ends her sessions.
namespace UserCommand {

bool wanted(const QStringList& arguments);
// The whole command line; returns the process's exit code. Throws Exception with a message for the
// operator.
int run(const QStringList& arguments);

} // namespace UserCommand
