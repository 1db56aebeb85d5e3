#pragma once

// The account the tests' clients sign in with when a server asks for a session: the demonstration
// administrador that --seed-demo creates (README), or one a test adds with the same login.
namespace TestAccount {

inline constexpr char Login[] = "admin";
inline constexpr char Password[] = "demo-admin";

} // namespace TestAccount
