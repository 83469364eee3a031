Reset1B 40 
Preset 350 33 0D 
