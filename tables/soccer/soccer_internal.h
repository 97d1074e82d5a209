// What the Soccer Star table's two source files share and nothing else needs.
#pragma once

namespace tamblor::soccer {

// Points: score + multiplier x value.
void AddScore(double value);
// The field-half flag takes the ball's half now.
void RecordHalf();
void EndDoubleScore();
void CloseMidfield();
void StopBlockWarning();
// The visitors kick off from their goal: the ball heads down the field and
// their defenders stand again.
void VisitorsKickOff();

// The rules the table's description hands to the shared loop.
void PlaceAfterTilt();
void Horn();
void MatchResult();

}  // namespace tamblor::soccer
