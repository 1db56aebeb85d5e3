#pragma once

class QObject;
class TNetConnection;

// netMediEfeti: the screen's connection to the Med00418.rdmMediEfeti server object, owned by `parent`.
// Failures always raise, so ThrowException stays false as the screen has it.
TNetConnection* createNetMediEfeti(QObject* parent);

// What the screen's BeforeConnect handler does: port, then host, from the host's settings.
void applyServerAddress(TNetConnection& connection);
