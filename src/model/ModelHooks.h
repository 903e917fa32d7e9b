#pragma once
// Steps of the model operations that belong to other parts of the core: the band sets (eq) and the
// frame records and status state (protocol). Each is implemented by the module that owns the state.
namespace pavo {

// Which band-set members a model operation re-binds to their records.
enum class Rebind {
    BlockBands,  // ResetEqBands(block): the band members of that block's set (edited scene for 8..15)
    MusicRight,  // LinkMusic: MusicRight's bands and filters, and both dynamic-EQ sets
    Mic34,       // LinkMic: Mic34's bands and filters
    OutputPair,  // LinkOutputPair(block): the partner channel's sets in all three scenes
    Everything,  // AcceptProgram without the system record
};

// The band-set hooks are called without the model lock held: the band sets take it themselves.
void CreateBandSets();  // end of ResetParameters
void RebindBandSets(Rebind what, int block);
void ClearFrameRecords();  // ResetParameters step 12
void ResetStatusState();   // ResetParameters step 14

}  // namespace pavo
