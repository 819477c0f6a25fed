// The one US parser configuration of the tests and benchmarks: word lists in the
// spirit of the US postal abbreviations, and about twenty rules that settle street
// numbers, directionals, names, suffixes, units, PO boxes and rural routes. Canada
// is a known country without word lists or rules (it borrows the US lists).
// Used by tests/addressparser, tests/plugin and bench/.
#pragma once

namespace zeb_test {

inline constexpr const char* kUsConfiguration = R"xml(<ADDRESSPARSER>
<COUNTRIES><COUNTRY name="USA" c2="US"/><COUNTRY name="US" c2="US"/>
  <COUNTRY name="United States" c2="US"/><COUNTRY name="Canada" c2="CA"/>
  <DEFAULTCOUNTRY name="US"/></COUNTRIES>
<REGIONS><REGION id="1" name="US" priority="1" base="0"/><REGION id="2" name="CA" base="0"/>
</REGIONS>
<ADDRESSPARTS c2="US">
  <PREFIX><PART data="HWY" std="HWY"/><PART data="HIGHWAY" std="HWY"/>
    <PART data="ROUTE" std="RTE"/><PART data="RTE" std="RTE"/></PREFIX>
  <SUFFIX><PART data="ST" std="ST"/><PART data="STREET" std="ST"/><PART data="AVE" std="AVE"/>
    <PART data="AVENUE" std="AVE"/><PART data="AV" std="AVE"/><PART data="RD" std="RD"/>
    <PART data="ROAD" std="RD"/><PART data="BLVD" std="BLVD"/><PART data="BOULEVARD" std="BLVD"/>
    <PART data="LN" std="LN"/><PART data="LANE" std="LN"/><PART data="DR" std="DR"/>
    <PART data="DRIVE" std="DR"/><PART data="CT" std="CT"/><PART data="COURT" std="CT"/>
    <PART data="PL" std="PL"/><PART data="PLACE" std="PL"/><PART data="TER" std="TER"/>
    <PART data="WAY" std="WAY"/><PART data="PKWY" std="PKWY"/><PART data="PARKWAY" std="PKWY"/>
    <PART data="CIR" std="CIR"/><PART data="CIRCLE" std="CIR"/><PART data="HWY" std="HWY"/>
    <PART data="SR" std="SR"/><PART data="CR" std="CR"/><PART data="TRL" std="TRL"/>
    <PART data="SQ" std="SQ"/><PART data="LOOP" std="LOOP"/></SUFFIX>
  <BUILDINGSIDE><PART data="REAR" std="REAR"/><PART data="FRONT" std="FRNT"/></BUILDINGSIDE>
  <UNITSIDE><PART data="UPPER" std="UPPR"/><PART data="LOWER" std="LOWR"/></UNITSIDE>
  <BUILDINGTYPE><PART data="BLDG" std="BLDG"/><PART data="BUILDING" std="BLDG"/></BUILDINGTYPE>
  <COUNTY><PART data="COUNTY" std="CO"/></COUNTY>
  <DISCARD><PART data="ATTN" std=""/></DISCARD>
  <POBOX><PART data="PO BOX" std="PO BOX"/><PART data="P O BOX" std="PO BOX"/>
    <PART data="POST OFFICE BOX" std="PO BOX"/><PART data="BOX" std="BOX"/></POBOX>
  <UNITLABEL><PART data="APT" std="APT"/><PART data="APARTMENT" std="APT"/>
    <PART data="STE" std="STE"/><PART data="SUITE" std="STE"/><PART data="UNIT" std="UNIT"/>
    <PART data="FL" std="FL"/><PART data="FLOOR" std="FL"/><PART data="RM" std="RM"/>
    <PART data="ROOM" std="RM"/><PART data="LOT" std="LOT"/></UNITLABEL>
  <DIRECTIONAL><PART data="N" std="N"/><PART data="NORTH" std="N"/><PART data="S" std="S"/>
    <PART data="SOUTH" std="S"/><PART data="E" std="E"/><PART data="EAST" std="E"/>
    <PART data="W" std="W"/><PART data="WEST" std="W"/><PART data="NE" std="NE"/>
    <PART data="NW" std="NW"/><PART data="SE" std="SE"/><PART data="SW" std="SW"/></DIRECTIONAL>
  <RURAL><PART data="RR" std="RR"/><PART data="RURAL ROUTE" std="RR"/><PART data="HC" std="HC"/>
    </RURAL>
  <CAREOF><PART data="C/O"/><PART data="CARE OF"/></CAREOF>
</ADDRESSPARTS>
<RULESET c2="US">
  <NOCONTEXT>
    <RULE name="po box" condition="ISPOBOXWORD" set="POBOXTYPE" setNext="POBOXNUM"/>
    <RULE name="rural route" condition="ISRURALROUTEWORD" set="RRHCLABEL" setNext="RRHCNUM"/>
    <RULE name="number sign" condition="ISNUMBERSIGN" set="UNITLABEL" setNext="UNITNUM"/>
    <RULE name="house number" condition="ISFIRSTTOKEN AND ISNUMBER" set="STREETNUM"/>
    <RULE name="house number with letter"
          condition="ISFIRSTTOKEN AND HASNUMBERS AND LENGTHIS(&lt;=,6) AND NOT ISNUMBERSIGN"
          set="STREETNUM"/>
    <RULE name="unit label" condition="ISUNITWORD AND NOT ISFIRSTTOKEN" set="UNITLABEL"
          setNext="UNITNUM"/>
    <RULE name="highway prefix" condition="ISPREFIXWORD AND NOT ISFIRSTTOKEN AND HASNUMBERS(NEXT)"
          set="PREFIX"/>
    <RULE name="pre-directional"
          condition="ISDIRECTIONALWORD AND ISTOKENA(PREV,STREETNUM) AND NOT ISLASTTOKEN AND NOT ISSUFFIXWORD:NEXT"
          set="PREDIR"/>
    <RULE name="suffix"
          condition="ISSUFFIXWORD AND NOT ISFIRSTTOKEN AND NOT ISTOKENA(PREV,STREETNUM) AND NOT ISTOKENA(PREV,PREDIR)"
          set="SUFFIX"/>
    <RULE name="name after number"
          condition="(ISTOKENA(PREV,STREETNUM) OR ISTOKENA(PREV,PREDIR)) AND NOT ISNUMBER"
          set="STREETNAME"/>
    <RULE name="post-directional" condition="ISDIRECTIONALWORD AND ISTOKENA(PREV,SUFFIX)"
          set="POSTDIR"/>
    <RULE name="one pre-directional" condition="ISDIRECTIONALWORD AND ONLYONCE(PREDIR)"/>
    <RULE name="building side" condition="ISBUILDINGSIDEWORD AND WEHAVE(PREV,STREETNUM)"
          set="BUILDINGSIDE"/>
  </NOCONTEXT>
  <WITHCONTEXT>
    <RULE name="unit number" condition="ISTOKENA(PREV,UNITLABEL) AND ISPOSSIBLEUNITNUMBER"
          set="UNITNUM"/>
    <RULE name="box number" condition="ISTOKENA(PREV,POBOXTYPE)" set="POBOXNUM"/>
    <RULE name="route number" condition="ISTOKENA(PREV,PREFIX) AND HASNUMBERS" set="STREETNAME"/>
    <RULE name="name before suffix" condition="ISTOKENA(NEXT,SUFFIX) AND NOT ISNUMBER"
          set="STREETNAME"/>
    <RULE name="name after name"
          condition="ISTOKENA(PREV,STREETNAME) AND NOT ISSUFFIXWORD AND NOT ISUNITWORD"
          set="STREETNAME"/>
    <RULE name="unit after street"
          condition="(ISTOKENA(PREV,SUFFIX) OR ISTOKENA(PREV,POSTDIR)) AND ISPOSSIBLEUNITNUMBER"
          set="UNITNUM"/>
    <RULE name="directional as name" condition="ISDIRECTIONALWORD AND NOT WEHAVE(STREETNAME)"
          set="STREETNAME"/>
    <RULE name="leftover" condition="CANTOKENBEA(STREETNAME) AND NOT WEHAVE(STREETNAME)"
          set="STREETNAME"/>
  </WITHCONTEXT>
</RULESET>
</ADDRESSPARSER>)xml";

// Locality data for one-line addresses: a configuration loaded on top of
// kUsConfiguration (loads merge), so that records of the other tests keep their
// street-only meaning.
inline constexpr const char* kLocality = R"xml(<ADDRESSPARSER>
<COUNTRIES><COUNTRY name="France" c2="FR"/></COUNTRIES>
<REGIONS><REGION id="3" name="FR" base="0"/></REGIONS>
<LOCALITY c2="US" order="CITY REGION POSTCODE">
  <POSTCODE shape="99999"/><POSTCODE shape="99999-9999"/><POSTCODE shape="9999" afterRegion="YES"/>
  <REGIONNAME data="IL" std="IL"/><REGIONNAME data="Illinois" std="IL"/>
  <REGIONNAME data="NY" std="NY"/><REGIONNAME data="New York" std="NY"/>
  <REGIONNAME data="CT" std="CT"/><REGIONNAME data="FL" std="FL"/><REGIONNAME data="TX" std="TX"/>
  <CITYSTART data="SAINT"/><CITYSTART data="ST" afterStreetType="YES"/>
  <CITYWORD data="TOWNSHIP"/>
</LOCALITY>
<LOCALITY c2="FR" order="POSTCODE CITY REGION">
  <POSTCODE shape="99999"/><POSTCODE shape="99999" prefix="F-"/>
  <POSTCODE shape="9999 AA"/><POSTCODE shape="9999AA"/>
  <REGIONNAME data="VI" std="VI"/><REGIONNAME data="Valencia" std="Valencia"/>
  <REGIONNAME data="A Coruña" std="A Coruña"/>
  <CITYEND data="CEDEX"/>
</LOCALITY>
</ADDRESSPARSER>)xml";

}  // namespace zeb_test
