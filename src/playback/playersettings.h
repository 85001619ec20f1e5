// The player's settings the program changes: the volume on the scale 0 to 100 and the rate.
#pragma once

class MpvSession;

class PlayerSettings
{
public:
    explicit PlayerSettings(MpvSession& session);

    int volume() const;
    // Values outside 0 … 100 are taken as the nearest end of the scale.
    void setVolume(int volume);

    // The playback rate, 1.0 the song's own; slower keeps the pitch. It stays for songs loaded
    // later. Values are taken between kMinRate and kMaxRate.
    double rate() const;
    void setRate(double rate);

    static constexpr double kMinRate = 0.25;
    static constexpr double kMaxRate = 2.0;

private:
    MpvSession& m_session;
};
