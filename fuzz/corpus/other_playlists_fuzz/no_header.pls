File1=a.wav
