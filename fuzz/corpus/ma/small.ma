//Maya ASCII 2020 scene
//Name: small.ma
requires maya "2020";
requires "rigDials" "3.0";
currentUnit -l centimeter -a degree -t film;
createNode transform -n "slider1";
	setAttr ".t" -type "double3" 1 2 3 ;
createNode KelSliderManipulator -n "sliderShape1" -p "slider1";
	setAttr -k on ".distance" 0.25;
createNode KelArcSliderManipulator -n "arcShape1";
createNode mysteryNode -n "m1";
	setAttr ".uvst[0].uvsn" -type "string" "map1";
connectAttr "sliderShape1.distance" "arcShape1.size";
select -ne :time1;
	setAttr ".o" 12;
fileInfo "application" "maya";
// End of small.ma
