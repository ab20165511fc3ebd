// The windows arrive with the faceplate work.
