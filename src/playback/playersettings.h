// The player's settings the program changes: the volume on the scale 0 to 100.
#pragma once

class MpvSession;

class PlayerSettings
{
public:
    explicit PlayerSettings(MpvSession& session);

    int volume() const;
    // Values outside 0 … 100 are taken as the nearest end of the scale.
    void setVolume(int volume);

private:
    MpvSession& m_session;
};
