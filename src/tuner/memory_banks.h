#pragma once
// Memory banks: a bank is an interface type, an antenna table and three tune
// memories, kept in their own files under /opt/set.
#include <cstdint>

namespace core {
struct AmpRecord;
}  // namespace core

namespace tuner {

inline constexpr int32_t kLastBank = 19;

// Loads the bank's antenna file and returns its interface type.
int32_t LoadTabConfig(core::AmpRecord& works, int32_t bank);
void SaveTabConfig(core::AmpRecord& works, int32_t bank);
void LoadAllBankTable(core::AmpRecord& works, int32_t bank);
void ChangeBanco(core::AmpRecord& works);
void ChangeInterfaceBanco(core::AmpRecord& works);
void SaveToBank(core::AmpRecord& works, int32_t bank, int32_t antenna);
void SaveToBankDebug(core::AmpRecord& works, int32_t bank, int32_t attenuator);
// which 0..2: tune memory of antenna which + 1; 3: the antenna file.
void DeleteFileConf(core::AmpRecord& works, int32_t bank, int32_t which);
// Makes the destination bank's files a copy of the origin's; a file the
// origin lacks is removed, so both load the same defaults. The tables in
// memory stay the bank in use's: they are loaded again only when that bank
// was the destination.
void CopyBank(core::AmpRecord& works, int32_t origin, int32_t destination);

}  // namespace tuner
