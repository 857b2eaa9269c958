// The removal run: prerequisites, set-up, lock and rights, confirmation,
// work and restart offer, in this order, once.
#pragma once

// True when the run reached the restart question, false on every early end.
bool vtxRemoveDevice();
