#pragma once

/// Channels per bank of the scanner's memory.
constexpr int kChannelsPerBank = 50;

/**
 * ChannelToBank: the bank that holds a memory channel. Channels 1 to 50 are bank 1, 51 to 100
 * bank 2, and so on up to 951 to 1000 in bank 20. A channel outside 1 to 1000 has no bank (0).
 */
constexpr int channelToBank(int channel) {
    if (channel < 1 || channel > 1000)
        return 0;
    return (channel - 1) / kChannelsPerBank + 1;
}

static_assert(channelToBank(1) == 1 && channelToBank(50) == 1 && channelToBank(51) == 2);
static_assert(channelToBank(1000) == 20 && channelToBank(0) == 0 && channelToBank(1001) == 0);
