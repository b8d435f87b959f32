#include "UpdateImageSequence.h"

#include <atomic>

namespace
{
std::atomic<IUpdateImageSequence*> gInstalledSequence{nullptr};
} // namespace

void IUpdateImageSequence::Install(IUpdateImageSequence* sequence)
{
    gInstalledSequence.store(sequence);
}

IUpdateImageSequence* IUpdateImageSequence::GetInstalled()
{
    return gInstalledSequence.load();
}
