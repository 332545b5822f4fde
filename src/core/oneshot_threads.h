#pragma once
// Threads that run once: the start-up countdown, the LAN check and the
// confirmation of a software update.
#include "core/works.h"

namespace core {

void LoadThread(Works& works);
void LANInfoThread(Works& works);
void AggFWThread(Works& works);
// Removes the marker that tells the update process the new software is
// still unconfirmed.
void DeleteLastGoodLink(Works& works);

}  // namespace core
