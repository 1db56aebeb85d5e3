#pragma once

#include <QStringList>

// `med_appserver user ...`: the accounts, managed on the server's own database (--database, --config)
// while it runs, as PostgreSQL's roles are:
//   user add LOGIN --name "FULL NAME" --role ROLE --branches 0001,0002
//   user passwd LOGIN | role LOGIN --role ROLE | grant LOGIN --branches ... | revoke LOGIN --branches ...
//   user disable LOGIN | enable LOGIN | unlock LOGIN [--address ADDRESS] | list
// Passwords are read by PasswordPrompt. A new password, a new role and disabling end the user's
// sessions. A command line that fits no usage prints the problem and the usage on stderr, exit 2.
namespace UserCommand {

bool wanted(const QStringList& arguments);
// The whole command line; returns the process's exit code (--help: the usage on stdout, 0). Throws
// Exception with a message for the operator when the work itself is refused.
int run(const QStringList& arguments);

} // namespace UserCommand
